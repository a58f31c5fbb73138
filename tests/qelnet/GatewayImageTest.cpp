#include "GatewayImage.h"
#include "ImageReport.h"
#include "ImageSource.h"
#include "model/Records.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QFile>

#include <map>
#include <set>

namespace {

std::string demoFile(const std::string& name) { return std::string(VELT_DEMO_DIR) + "/" + name; }

GatewayState demoState(const std::string& network)
{
    std::string error;
    const auto state = ReadImageSource(demoFile("gateway-" + network + ".json"), error);
    EXPECT_TRUE(state) << error;
    return state.value_or(GatewayState{});
}

std::vector<uint8_t> fileBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    const QByteArray content = file.readAll();
    return std::vector<uint8_t>(content.begin(), content.end());
}

std::string decodeError(const std::vector<uint8_t>& bytes)
{
    std::string error;
    EXPECT_FALSE(DecodeGatewayImage(bytes, error));
    return error;
}

// Rewrites the checksum so that only the damage under test is left.
void reseal(std::vector<uint8_t>& bytes)
{
    le::putU32(&bytes[12], uint32_t(bytes.size() - GatewayImageHeaderSize));
    le::putU32(&bytes[16], Crc32(bytes.data() + GatewayImageHeaderSize, bytes.size() - GatewayImageHeaderSize));
}

std::string sourceError(const std::string& functions)
{
    const std::string json = R"({"network": "001", "netConfigStamp": 1, "memoryKiB": 4,
        "typeLimits": [1, 1, 1, 1, 1, 1, 1, 1, 1], "functions": [)" + functions + "]}";
    std::string error;
    EXPECT_FALSE(GatewayStateFromSource(json, error));
    return error;
}

} // namespace

TEST(GatewayImage, RoundTripKeepsEverything)
{
    const GatewayState state = demoState("001");
    std::string error;
    const auto decoded = DecodeGatewayImage(EncodeGatewayImage(state), error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_TRUE(*decoded == state);
}

TEST(GatewayImage, DamagedImagesAreRefusedWithTheReason)
{
    const std::vector<uint8_t> good = EncodeGatewayImage(demoState("002"));

    EXPECT_NE(decodeError({}).find("too short"), std::string::npos);

    std::vector<uint8_t> magic = good;
    magic[0] = 'X';
    EXPECT_NE(decodeError(magic).find("bad magic"), std::string::npos);

    std::vector<uint8_t> version = good;
    version[8] = 9;
    EXPECT_NE(decodeError(version).find("version 9"), std::string::npos);

    std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
    EXPECT_NE(decodeError(truncated).find("truncated"), std::string::npos);

    std::vector<uint8_t> flipped = good;
    flipped[good.size() / 2] ^= 0x40;
    EXPECT_NE(decodeError(flipped).find("checksum wrong"), std::string::npos);

    std::vector<uint8_t> stray = good;
    stray.push_back(0);
    reseal(stray);
    EXPECT_NE(decodeError(stray).find("stray bytes"), std::string::npos);

    std::vector<uint8_t> cut(good.begin(), good.end() - 30);
    reseal(cut);
    EXPECT_NE(decodeError(cut).find("damaged: ends inside a record"), std::string::npos);
}

TEST(GatewayImage, EachDemoImageIsWhatItsSourceMakes)
{
    for (const std::string network : {"001", "002"}) {
        const std::vector<uint8_t> committed = fileBytes(demoFile("gateway-" + network + ".img"));
        EXPECT_TRUE(committed == EncodeGatewayImage(demoState(network)))
            << "demo/gateway-" << network << ".img is out of date: qelnetd --make-image demo/gateway-" << network
            << ".json demo/gateway-" << network << ".img";
    }
}

TEST(GatewayImage, DemoGatewayOneHoldsEveryKindOfFunction)
{
    const GatewayState state = demoState("001");
    std::set<uint8_t> types;
    int started = 0, stopped = 0, manual = 0, error = 0, shortForm = 0, longForm = 0;
    for (const auto& [number, f] : state.functions) {
        types.insert(f.type);
        if (!TypeIsPassive(f.type))
            ++((f.flags & FunctionFlag::Started) ? started : stopped);
        manual += (f.flags & FunctionFlag::Manual) ? 1 : 0;
        error += (f.flags & (FunctionFlag::ErrorMark | FunctionFlag::ReferenceErrorMark)) ? 1 : 0;
        if (f.type == FunctionType::PeakShaving || f.type == FunctionType::PoOptimizer) {
            EXPECT_TRUE(f.history[0].present && f.history[1].present) << "history of function " << int(number);
        }
        if (f.type == FunctionType::PoOptimizer)
            ++(f.blocks[0].bytes[PoOptimiseCommunicationByte] == NotConfigured ? shortForm : longForm);
    }
    EXPECT_EQ(types.size(), size_t(FunctionType::Count));
    EXPECT_GE(started, 1);
    EXPECT_GE(stopped, 1);
    EXPECT_GE(manual, 1);
    EXPECT_GE(error, 1);
    EXPECT_GE(shortForm, 1);
    EXPECT_GE(longForm, 1);
    EXPECT_TRUE(state.password.empty());
    EXPECT_EQ(demoState("002").password, "1234");
    EXPECT_LE(state.usedMemory(), state.totalMemory());
}

// A plain upload of a demo gateway is up to date and finds its controllers:
// the net-configuration stamps match, every parameter reference carries the
// identity checksum of its controller, automatic references name controllers
// that support automatic selection, and one reference (on purpose) names a
// controller the plant does not have.
TEST(GatewayImage, DemoImagesFitTheDemoPlant)
{
    TestHome home;
    ASSERT_TRUE(home.ok());
    std::map<std::string, NetCnfRecord> nodes;
    for (const auto& bytes : TestHome::records(table::NetCnf)) {
        const NetCnfRecord node = NetCnfRecord::read(bytes.data());
        nodes[node.nodeKey] = node;
    }
    int missing = 0;
    for (const std::string network : {"001", "002"}) {
        const GatewayState state = demoState(network);
        ASSERT_TRUE(nodes.count(GatewayAddress(network)));
        EXPECT_EQ(nodes[GatewayAddress(network)].netConfigStamp, state.netConfigStamp);
        EXPECT_NE(nodes[GatewayAddress(network)].supportLevel, 0);
        for (const auto& [number, f] : state.functions) {
            for (int direction = 1; direction <= 2; ++direction) {
                const SlotSet slots = TypeSlots(f.type, direction);
                for (int slot = 1; slot <= 8; ++slot) {
                    for (const ReferenceItem& item : f.slot(direction, slot)) {
                        const auto node = nodes.find(NodeKey(network, item.address));
                        if (node == nodes.end()) {
                            ++missing;
                            EXPECT_EQ(item.status, ItemStatus::NoAnswer);
                            continue;
                        }
                        const uint16_t crc = IdentityChecksum(NetCnfRecord::ControllerKind, node->second.ident);
                        const std::string where = "function " + std::to_string(number) + " address "
                            + std::to_string(item.address);
                        if (item.parameters[0] == 255) {
                            EXPECT_GE(node->second.supportLevel, slots.descriptors[size_t(slot - 1)].minimumLevel) << where;
                        } else if (item.form == 23 || item.form == 25) {
                            EXPECT_EQ(le::u16(&item.parameters[32]), crc) << where;
                        } else {
                            EXPECT_EQ(le::u16(&item.parameters[4]), crc) << where;
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(missing, 1);
}

TEST(ImageSource, MistakesAreNamedByPlace)
{
    EXPECT_EQ(sourceError(R"({"number": 1, "type": 3, "name": "x", "inputs": {"1": []}})"),
              "functions[0].inputs.1: the type has no such slot");
    EXPECT_EQ(sourceError(R"({"number": 1, "type": 3, "name": "x", "outputs": {"1": [{"address": 3, "parameter": [1, 1, 1], "ident": "A"}]}})"),
              "functions[0].outputs.1[0]: a parameter reference in a slot that takes none");
    EXPECT_EQ(sourceError(R"({"number": 1, "type": 3, "name": "seventeen letters"})"),
              "functions[0].name: is longer than 16 characters");
    EXPECT_EQ(sourceError(R"({"number": 1, "type": 3, "name": "x", "settings": {"period": 5}})"),
              "functions[0].settings.period: is not a setting of type 3");
    EXPECT_EQ(sourceError(R"({"number": 2, "type": 0, "name": "a"}, {"number": 2, "type": 0, "name": "b"})"),
              "functions[1].number: function 2 appears twice");
    EXPECT_NE(sourceError(R"({"number": 1, "type": 8, "name": "too big"})").find("with return code 1 (the gateway's memory is full)"),
              std::string::npos)
        << "4 KiB hold no Po optimizer";
}

TEST(ImageReport, ListsFunctionsWithTheirTelegrams)
{
    const std::string report = DescribeGatewayState(demoState("002"));
    EXPECT_NE(report.find("network 002, net-configuration stamp 3106"), std::string::npos) << report;
    EXPECT_NE(report.find("password \"1234\""), std::string::npos);
    EXPECT_NE(report.find("function 2 \"Night covers\", type 3, flags 0x04 started"), std::string::npos);
    EXPECT_NE(report.find("command 15, P 3, length 6: simple outputs of function 2, slot 1, 2 items: [#0 node 001] [#1 node 002]"), std::string::npos);
    EXPECT_NE(report.find("command 21, P 3, length 3: schedule references of function 2, group 1: 1"), std::string::npos);
}
