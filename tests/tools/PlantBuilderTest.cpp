// The plant builder and the table dump: the demo plant becomes a home whose
// tables hold what the description says; broken descriptions are refused with
// file, place and reason and leave nothing behind.

#include "PlantBuilder.h"
#include "SampleRecords.h"
#include "TableDump.h"
#include "TestHome.h"

#include "model/McdefRecord.h"
#include "model/Records.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"
#include "support/Profile.h"
#include "support/RecordStore.h"
#include "support/TableSchema.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <span>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// --- the demo plant ---------------------------------------------------------

std::vector<NetCnfRecord> wildcardScan(const std::string& pattern)
{
    std::vector<NetCnfRecord> nodes;
    const ScopedTable open(table::NetCnf, DbMode::ReadOnly);
    EXPECT_EQ(open.status(), DbStatus::Success);
    uint8_t key[8] = {};
    le::putStr(key, sizeof key, pattern);
    uint8_t record[NetCnfRecord::Size];
    uint16_t status = DbWildCardGet(table::NetCnf, 0, key, sizeof key, record, sizeof record, DbOp::GetFirst);
    while (status == DbStatus::Success) {
        nodes.push_back(NetCnfRecord::read(record));
        status = DbWildCardGet(table::NetCnf, 0, key, sizeof key, record, sizeof record, DbOp::GetNext);
    }
    EXPECT_EQ(status, DbStatus::EndOfFile);
    return nodes;
}

// QEBDES key 1 {description key, P1, P2, P3, 0}, get-greater-or-equal, as the
// reference lists look a parameter up.
std::optional<QebDesRecord> describedParameter(const std::string& descKey, uint16_t p1, uint16_t p2, uint16_t p3)
{
    const ScopedTable open(table::QebDes, DbMode::ReadOnly);
    uint8_t key[22] = {};
    le::putStr(key, 14, descKey);
    le::putU16(key + 14, p1);
    le::putU16(key + 16, p2);
    le::putU16(key + 18, p3);
    uint8_t record[QebDesRecord::Size];
    if (DbGet(table::QebDes, 1, key, sizeof key, record, sizeof record, DbOp::GetGreaterOrEqual) != DbStatus::Success)
        return std::nullopt;
    const QebDesRecord r = QebDesRecord::read(record);
    if (r.descKey != descKey || r.p1 != p1 || r.p2 != p2 || r.p3 != p3)
        return std::nullopt;
    return r;
}

// The MCPARDEF triples of {identification, node text, function parameter},
// read with the key-only scan of the selection dialog.
std::set<std::array<uint8_t, 3>> definedTriples(const std::string& ident, const std::string& node, uint8_t fp)
{
    std::set<std::array<uint8_t, 3>> triples;
    const ScopedTable open(table::McParDef, DbMode::Normal);
    uint8_t key[26] = {};
    le::putStr(key, 14, ident);
    le::putStr(key + 14, 8, node);
    key[22] = fp;
    const std::string prefix(reinterpret_cast<const char*>(key), 23);
    uint16_t status = DbGet(table::McParDef, 0, key, sizeof key, nullptr, 0, DbOp::KeyGetGreaterOrEqual);
    while (status == DbStatus::Success && std::string(reinterpret_cast<const char*>(key), 23) == prefix) {
        triples.insert({key[23], key[24], key[25]});
        status = DbGet(table::McParDef, 0, key, sizeof key, nullptr, 0, DbOp::KeyGetGreater);
    }
    return triples;
}

TEST(DemoPlant, IniFilesPointIntoTheHome)
{
    TestHome home;
    ASSERT_TRUE(home.ok());
    const std::string ini = home.iniFile();
    EXPECT_EQ(GetPrivateProfileString("Install", "DATADir", "", ini), home.path() + "data/");
    EXPECT_EQ(home.dataDir(), home.path() + "data/");
    EXPECT_EQ(GetPrivateProfileString("Connection", "Server", "", ini), home.path() + "qelnet.sock");
    EXPECT_EQ(GetPrivateProfileString("Connection", "Network", "x", ini), "");
    EXPECT_EQ(GetPrivateProfileString("Connection", "LastNetwork", "", ini), "001");
    EXPECT_EQ(GetPrivateProfileInt("QEBCtrl", "TxtMode", -1, ini), 0);
    EXPECT_EQ(GetPrivateProfileInt("VELT", "PageBreak", -1, ini), 0);
    EXPECT_FALSE(GetPrivateProfileString("Systeminfo", "TimeZone", "", ini).empty());
    for (const char* key : {"ZULDir", "EXPDir"}) {
        const std::string folder = GetPrivateProfileString("Install", key, "", ini);
        EXPECT_EQ(folder.rfind(home.path(), 0), 0u) << key;
        EXPECT_EQ(folder.back(), '/') << key;
        EXPECT_TRUE(fs::is_directory(folder)) << key;
    }
    EXPECT_TRUE(fs::is_directory(home.path() + "gateways"));

    EXPECT_EQ(GetProfileString("intl", "sList", ""), ";");
    EXPECT_EQ(GetProfileString("intl", "sDecimal", ""), ",");
    const std::string qebType = home.file("QebType.ini");
    EXPECT_EQ(GetPrivateProfileInt("P0Optimizer", "DefaultDefrostDelay", 0, qebType), 20);
    EXPECT_EQ(GetPrivateProfileString("EVA-200 Funct 8", "LoopId", "", qebType), "AB");
    EXPECT_EQ(GetPrivateProfileString("EVA-100 Funct 8", "Input1A", "", qebType), "RegCond,3,14,2");
    EXPECT_FALSE(GetPrivateProfileString("PAK-400 Funct 8", "Output1A", "", qebType).empty());
    EXPECT_EQ(GetPrivateProfileString("EVA-100 Funct 8", "Output1A", "", qebType), "");
}

TEST(DemoPlant, EveryTableExistsAndTheProgramsOwnTablesAreEmpty)
{
    TestHome home;
    ASSERT_TRUE(home.ok());
    for (const TableSchema& schema : AllTableSchemas()) {
        EXPECT_TRUE(fs::is_regular_file(home.dataDir() + schema.name + ".DAT")) << schema.name;
        EXPECT_FALSE(fs::exists(home.dataDir() + schema.name + ".DAT-wal")) << schema.name;
    }
    EXPECT_TRUE(TestHome::records(table::Mcdef).empty());
    EXPECT_TRUE(TestHome::records(table::EventLog).empty());
    EXPECT_TRUE(TestHome::records(table::XrtAppl).empty());

    // The template is an empty MCDEF table: the upload copies it over MCDEF.DAT.
    fs::copy_file(home.dataDir() + "MCDEF.NEW", home.dataDir() + "MCDEF.DAT", fs::copy_options::overwrite_existing);
    ASSERT_EQ(DbOpen(table::Mcdef, DbMode::Accelerated), DbStatus::Success);
    uint8_t record[110] = {1, 0, 0, 0};
    EXPECT_EQ(DbInsert(table::Mcdef, 0, record, sizeof record), DbStatus::Success);
    EXPECT_EQ(DbClose(table::Mcdef), DbStatus::Success);
    EXPECT_EQ(TestHome::records(table::Mcdef).size(), 1u);
}

TEST(DemoPlant, TheGatewayScanFindsThreeGatewaysWithFlagsAndStamps)
{
    TestHome home;
    ASSERT_TRUE(home.ok());
    const std::vector<NetCnfRecord> gateways = wildcardScan("???:125");
    ASSERT_EQ(gateways.size(), 3u);
    EXPECT_EQ(gateways[0].nodeKey, "001:125");
    EXPECT_EQ(gateways[1].nodeKey, "002:125");
    EXPECT_EQ(gateways[2].nodeKey, "003:125");
    EXPECT_NE(gateways[0].supportLevel, 0);
    EXPECT_NE(gateways[1].supportLevel, 0);
    EXPECT_EQ(gateways[2].supportLevel, 0) << "the warehouse gateway runs no control functions";
    EXPECT_EQ(gateways[0].netConfigStamp, 14961);
    EXPECT_EQ(gateways[1].netConfigStamp, 3106);
    EXPECT_NE(gateways[0].netConfigStamp, gateways[1].netConfigStamp);
    for (const NetCnfRecord& g : gateways) {
        EXPECT_FALSE(g.idCode.empty());
        EXPECT_NE(g.nodeKind, NetCnfRecord::ControllerKind) << "a gateway is never a referenced controller";
    }
}

TEST(DemoPlant, NetworkOneHasControllersOfEveryKindAndLevel)
{
    TestHome home;
    ASSERT_TRUE(home.ok());
    const std::vector<NetCnfRecord> nodes = wildcardScan("001:???");
    int controllers = 0, others = 0, automatic = 0, manualOnly = 0;
    std::set<std::string> idents;
    for (const NetCnfRecord& n : nodes) {
        const int address = std::stoi(n.nodeKey.substr(4));
        if (address == GatewayNode)
            continue;
        EXPECT_GE(address, 1);
        EXPECT_LE(address, 124);
        if (n.nodeKind != NetCnfRecord::ControllerKind) {
            ++others;
            continue;
        }
        ++controllers;
        idents.insert(n.ident);
        (n.supportLevel ? automatic : manualOnly)++;
    }
    EXPECT_GE(controllers, 20);
    EXPECT_EQ(others, 1);
    EXPECT_GE(idents.size(), 6u);
    EXPECT_GT(automatic, 0);
    EXPECT_GT(manualOnly, 0);
    EXPECT_GE(wildcardScan("002:???").size(), 5u);
}

TEST(DemoPlant, DescriptionsAnswerTheReferenceLookups)
{
    TestHome home;
    ASSERT_TRUE(home.ok());
    const auto regCond = describedParameter("EVA100-V14", 3, 14, 2);
    ASSERT_TRUE(regCond);
    EXPECT_EQ(regCond->function, 3);
    EXPECT_EQ(regCond->defaultText, "Regulation condition");
    EXPECT_NE(regCond->customText.find("Funct 8"), std::string::npos);
    EXPECT_EQ(regCond->functionDefaultText, "Regulation");

    // An extended description keeps the parameters of the one it extends.
    const auto inherited = describedParameter("EVA100-V14", 15, 2, 1);
    ASSERT_TRUE(inherited);
    EXPECT_EQ(inherited->parameterClass, 248);
    EXPECT_EQ(inherited->functionCustomText, "General settings");
    EXPECT_TRUE(describedParameter("EVA100-V14", 5, 6, 1));
    EXPECT_FALSE(describedParameter("EVA100-V12", 5, 6, 1)) << "added in the later version only";
    EXPECT_FALSE(describedParameter("EVA100-V14", 3, 14, 3));

    // The controller whose description was never loaded has nothing under its key.
    const ScopedTable open(table::QebDes, DbMode::ReadOnly);
    uint8_t key[16] = {};
    le::putStr(key, 14, "EVA100-V09");
    const uint16_t status = DbGet(table::QebDes, 0, key, sizeof key, nullptr, 0, DbOp::KeyGetGreaterOrEqual);
    EXPECT_TRUE(status == DbStatus::EndOfFile || le::str(key, 14) != "EVA100-V09");
}

TEST(DemoPlant, DescriptionsHoldInternalGeneralAndNeverOfferedParameters)
{
    TestHome home;
    ASSERT_TRUE(home.ok());
    std::map<std::string, std::set<uint16_t>> functions;
    int neverOffered = 0, withoutCustomText = 0;
    for (const auto& bytes : TestHome::records(table::QebDes)) {
        const QebDesRecord r = QebDesRecord::read(bytes.data());
        functions[r.descKey].insert(r.function);
        EXPECT_LT(r.p1, 255);
        EXPECT_LT(r.p2, 255);
        EXPECT_LT(r.p3, 255);
        neverOffered += r.parameterClass == 251;
        withoutCustomText += r.customText.empty();
    }
    EXPECT_GE(neverOffered, 3);
    EXPECT_GT(withoutCustomText, 0);
    int withGeneral = 0, withInternal = 0;
    for (const auto& [key, numbers] : functions) {
        withGeneral += numbers.count(15) > 0;
        withInternal += numbers.count(0) > 0;
    }
    EXPECT_GE(withGeneral, 3);
    EXPECT_GE(withInternal, 3);
}

// Every parameter slot of the catalogue can be served: several descriptions
// hold parameters of its class, and MCPARDEF defines at least one for its
// function-parameter number whose class fits.
TEST(DemoPlant, EveryParameterSlotOfTheCatalogueHasDefinedParameters)
{
    TestHome home;
    ASSERT_TRUE(home.ok());
    std::vector<QebDesRecord> described;
    for (const auto& bytes : TestHome::records(table::QebDes))
        described.push_back(QebDesRecord::read(bytes.data()));
    std::vector<NetCnfRecord> nodes;
    for (const auto& bytes : TestHome::records(table::NetCnf))
        nodes.push_back(NetCnfRecord::read(bytes.data()));
    std::vector<McParDefRecord> definitions;
    for (const auto& bytes : TestHome::records(table::McParDef))
        definitions.push_back(McParDefRecord::read(bytes.data()));

    auto classOf = [&](const std::string& descKey, uint8_t p1, uint8_t p2, uint8_t p3) -> int {
        for (const QebDesRecord& r : described)
            if (r.descKey == descKey && r.p1 == p1 && r.p2 == p2 && r.p3 == p3)
                return r.parameterClass;
        return -1;
    };

    std::set<int> numbers;
    for (uint8_t code = 0; code < FunctionType::Count; ++code)
        for (int direction : {Direction::Input, Direction::Output}) {
            const SlotSet slots = TypeSlots(code, direction);
            for (int s = 1; s <= 8; ++s) {
                const SlotDescriptor& d = slots.descriptors[size_t(s - 1)];
                if (!slots.has(s) || d.kind != SlotKind::Parameter || d.functionParameter == 0)
                    continue;
                numbers.insert(d.functionParameter);
                std::set<std::string> keysWithClass;
                for (const QebDesRecord& r : described)
                    if (r.parameterClass == d.parameterClass)
                        keysWithClass.insert(r.descKey);
                EXPECT_GE(keysWithClass.size(), 2u) << "class " << int(d.parameterClass);

                bool served = false;
                for (const McParDefRecord& m : definitions) {
                    if (m.functionParameter != d.functionParameter)
                        continue;
                    // The controllers the definition applies to.
                    for (const NetCnfRecord& n : nodes)
                        if (n.ident == m.ident && (m.nodeText == McParDefRecord::EveryNode || m.nodeText == n.nodeKey))
                            served |= classOf(n.descKey, m.p1, m.p2, m.p3) == d.parameterClass;
                }
                EXPECT_TRUE(served) << "type " << int(code) << " direction " << direction << " slot " << s
                                    << " (function parameter " << int(d.functionParameter) << ", class "
                                    << int(d.parameterClass) << ")";
            }
        }
    EXPECT_EQ(numbers, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(DemoPlant, ParameterDefinitionsForEveryControllerAndForSingleNodes)
{
    TestHome home;
    ASSERT_TRUE(home.ok());
    using T = std::array<uint8_t, 3>;
    EXPECT_EQ(definedTriples("EVA-100", "255:255", 6), (std::set<T>{{15, 2, 1}}));
    EXPECT_EQ(definedTriples("EVA-100", "001:001", 6), (std::set<T>{{15, 1, 1}, {15, 2, 1}}));
    EXPECT_EQ(definedTriples("EVA-100", "255:255", 3), (std::set<T>{{4, 1, 3}, {4, 2, 3}}));
    EXPECT_EQ(definedTriples("RTH-20", "001:030", 11), (std::set<T>{{2, 1, 1}}));
    EXPECT_TRUE(definedTriples("RTH-20", "001:031", 11).empty());
    EXPECT_TRUE(definedTriples("EVA-100", "255:255", 12).empty());
}

TEST(DemoPlant, UsersAndCustomTexts)
{
    TestHome home;
    ASSERT_TRUE(home.ok());
    const auto users = TestHome::records(table::XrtBrug);
    ASSERT_EQ(users.size(), 2u);
    const XrtBrugRecord first = XrtBrugRecord::read(users[0].data());
    const XrtBrugRecord second = XrtBrugRecord::read(users[1].data());
    EXPECT_FALSE(first.name.empty());
    EXPECT_EQ(first.accessLevels[XrtBrugRecord::ProgramEntry], 2);
    EXPECT_EQ(second.accessLevels[XrtBrugRecord::ProgramEntry], XrtBrugRecord::ViewOnly);

    const ScopedTable open(table::OrpaText, DbMode::ReadOnly);
    uint8_t record[OrpaTextRecord::Size];
    auto key = OrpaTextRecord::key(OrpaTextRecord::TextById, 2000, 0);
    ASSERT_EQ(DbGet(table::OrpaText, 0, key.data(), uint16_t(key.size()), record, sizeof record, DbOp::GetEqual),
              DbStatus::Success);
    EXPECT_FALSE(OrpaTextRecord::read(record).text.empty());
    key = OrpaTextRecord::key(OrpaTextRecord::DialogControl, 17, 35);
    ASSERT_EQ(DbGet(table::OrpaText, 0, key.data(), uint16_t(key.size()), record, sizeof record, DbOp::GetEqual),
              DbStatus::Success);
    EXPECT_EQ(OrpaTextRecord::read(record).application, ApplicationName);
}

// --- broken descriptions ----------------------------------------------------

// A small valid plant; the error cases break one thing in it.
const char* const SmallPlant = R"({
  "format": 1,
  "descriptions": [
    { "key": "EVX-1", "functions": [
      { "number": 15, "text": "General", "parameters": [
        { "p": [15, 2, 1], "class": 248, "text": "Day/night input" } ] } ] }
  ],
  "networks": [
    { "number": "001", "nodes": [
      { "key": "001:125", "idCode": "GW", "ident": "GWX", "kind": 64, "level": 1, "stamp": 7 },
      { "key": "001:005", "idCode": "Case 5", "ident": "EVX", "descKey": "EVX-1", "kind": 32, "level": 1 } ] }
  ],
  "parameterDefinitions": [
    { "ident": "EVX", "node": "255:255", "functionParameter": 6, "parameters": [[15, 2, 1]] } ],
  "iniFiles": [
    { "file": "ORPA.INI", "sections": [ { "name": "Install", "entries": [["DATADir", "${HOME}data/"]] } ] },
    { "file": "QebType.ini", "sections": [ { "name": "EVX Funct 8", "entries": [["Input1A", "Day,15,2,1"]] } ] }
  ],
  "gatewayImages": { "folder": "${HOME}gw/", "images": [ { "network": "001", "file": "missing.img" } ] }
}
)";

// Success, or the builder's message.
::testing::AssertionResult Built(const std::optional<PlantError>& error)
{
    if (!error)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << error->message();
}

class BrokenDescription : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_parent = m_dir.path().toStdString();
        m_home = m_parent + "/home";
    }

    // Writes the small plant with `from` replaced by `to` (which must occur).
    std::string describe(const std::string& from = {}, const std::string& to = {})
    {
        std::string text = SmallPlant;
        if (!from.empty()) {
            const auto at = text.find(from);
            EXPECT_NE(at, std::string::npos) << from;
            if (at != std::string::npos)
                text.replace(at, from.size(), to);
        }
        return writeDescription(text);
    }

    std::string writeDescription(const std::string& text)
    {
        const std::string path = m_parent + "/plant.json";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        return path;
    }

    // Builds from a broken description: refused, naming the description, the
    // place and a reason, and nothing but the description is left.
    PlantError refused(const std::string& description)
    {
        const auto error = BuildPlantHome(m_home, description, false);
        EXPECT_TRUE(error.has_value());
        if (!error)
            return {};
        EXPECT_EQ(error->file, description);
        EXPECT_FALSE(error->reason.empty());
        EXPECT_FALSE(fs::exists(m_home));
        EXPECT_EQ(entries(m_parent), std::set<std::string>{"plant.json"});
        return *error;
    }

    static std::set<std::string> entries(const std::string& folder)
    {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.insert(e.path().filename().string());
        return names;
    }

    QTemporaryDir m_dir;
    std::string m_parent;
    std::string m_home;
};

TEST_F(BrokenDescription, TheSmallPlantItselfBuilds)
{
    ASSERT_TRUE(Built(BuildPlantHome(m_home, describe(), false)));
    EXPECT_TRUE(fs::is_regular_file(m_home + "/data/NETCNF.DAT"));
    EXPECT_TRUE(fs::is_directory(m_home + "/gw")) << "a missing image is skipped, its folder made";
    EXPECT_TRUE(fs::is_empty(m_home + "/gw"));
    EXPECT_EQ(entries(m_parent), (std::set<std::string>{"home", "plant.json"})) << "no staging folder is left";
}

TEST_F(BrokenDescription, BadJsonNamesLineAndColumn)
{
    const PlantError e = refused(writeDescription("{\n  \"format\": 1,\n  \"networks\": [ }\n}\n"));
    EXPECT_EQ(e.place.rfind("3:", 0), 0u) << e.place;
    EXPECT_NE(e.reason.find("bad JSON"), std::string::npos);
    EXPECT_EQ(e.message().rfind(e.file + ":3:", 0), 0u) << e.message();
    // An unterminated text at the end of the file.
    EXPECT_EQ(refused(writeDescription("{\n\"format\": \"1")).place.rfind("2:", 0), 0u);
}

TEST_F(BrokenDescription, NodeKeysMustBeWellFormedUniqueAndInTheirNetwork)
{
    PlantError e = refused(describe("\"001:005\"", "\"01:5\""));
    EXPECT_EQ(e.place, "networks[0].nodes[1].key");
    EXPECT_NE(e.reason.find("NNN:AAA"), std::string::npos) << e.reason;
    EXPECT_EQ(e.message(), e.file + ":networks[0].nodes[1].key: " + e.reason);

    e = refused(describe("\"001:005\"", "\"001:256\""));
    EXPECT_EQ(e.place, "networks[0].nodes[1].key");
    e = refused(describe("\"001:005\"", "\"002:005\""));
    EXPECT_NE(e.reason.find("not in network 001"), std::string::npos) << e.reason;
    e = refused(describe("\"001:005\"", "\"001:125\""));
    EXPECT_NE(e.reason.find("twice"), std::string::npos) << e.reason;
    e = refused(describe("\"001:125\"", "\"001:124\""));
    EXPECT_EQ(e.place, "networks[0].nodes");
    EXPECT_NE(e.reason.find("no gateway"), std::string::npos) << e.reason;
}

TEST_F(BrokenDescription, UnknownDescriptionKey)
{
    const PlantError e = refused(describe("\"descKey\": \"EVX-1\"", "\"descKey\": \"EVX-2\""));
    EXPECT_EQ(e.place, "networks[0].nodes[1].descKey");
    EXPECT_NE(e.reason.find("EVX-2"), std::string::npos);
}

TEST_F(BrokenDescription, TextsLongerThanTheirFields)
{
    PlantError e = refused(describe("\"Case 5\"", "\"Case 5 at the far end\""));
    EXPECT_EQ(e.place, "networks[0].nodes[1].idCode");
    EXPECT_NE(e.reason.find("at most 16"), std::string::npos) << e.reason;
    // Exactly 16 characters fit.
    EXPECT_TRUE(Built(BuildPlantHome(m_home, describe("\"Case 5\"", "\"Case 5 far end..\""), false)));
    fs::remove_all(m_home);

    e = refused(describe("\"ident\": \"EVX\"", "\"ident\": \"EVX-1234567890\""));
    EXPECT_EQ(e.place, "networks[0].nodes[1].ident");
    e = refused(describe("\"Day/night input\"", "\"Day/night input of the display case\""));
    EXPECT_EQ(e.place, "descriptions[0].functions[0].parameters[0].text");
}

TEST_F(BrokenDescription, NumbersOutOfRangeAndMissingFields)
{
    PlantError e = refused(describe("[15, 2, 1], \"class\"", "[15, 255, 1], \"class\""));
    EXPECT_EQ(e.place, "descriptions[0].functions[0].parameters[0].p[1]");
    e = refused(describe("\"class\": 248", "\"class\": 300"));
    EXPECT_EQ(e.place, "descriptions[0].functions[0].parameters[0].class");
    e = refused(describe("\"level\": 1 }", "\"level\": 1.5 }"));
    EXPECT_EQ(e.place, "networks[0].nodes[1].level");
    e = refused(describe(", \"kind\": 32", ""));
    EXPECT_EQ(e.place, "networks[0].nodes[1].kind");
    EXPECT_NE(e.reason.find("missing"), std::string::npos);
    e = refused(describe(", \"stamp\": 7", ""));
    EXPECT_EQ(e.place, "networks[0].nodes[0].stamp") << "a gateway needs its net-configuration stamp";
    e = refused(describe("\"idCode\": \"Case 5\"", "\"idcode\": \"Case 5\""));
    EXPECT_EQ(e.place, "networks[0].nodes[1].idcode");
    EXPECT_NE(e.reason.find("unknown field"), std::string::npos);
    e = refused(describe("\"format\": 1", "\"format\": 2"));
    EXPECT_EQ(e.place, "format");
}

TEST_F(BrokenDescription, DefinitionsAndControllerTypeDataMustNameDescribedParameters)
{
    PlantError e = refused(describe("[[15, 2, 1]]", "[[15, 2, 2]]"));
    EXPECT_EQ(e.place, "parameterDefinitions[0].parameters[0]");
    e = refused(describe("\"node\": \"255:255\"", "\"node\": \"001:007\""));
    EXPECT_EQ(e.place, "parameterDefinitions[0].node");
    e = refused(describe("\"node\": \"255:255\"", "\"node\": \"001:125\""));
    EXPECT_NE(e.reason.find("GWX"), std::string::npos) << "the gateway is not an EVX: " << e.reason;
    e = refused(describe("\"ident\": \"EVX\", \"node\"", "\"ident\": \"EVY\", \"node\""));
    EXPECT_EQ(e.place, "parameterDefinitions[0].ident");

    e = refused(describe("\"Day,15,2,1\"", "\"Day,15,2,9\""));
    EXPECT_EQ(e.place, "iniFiles[1].sections[0].entries[0][1]");
    e = refused(describe("\"Day,15,2,1\"", "\"Day\""));
    EXPECT_EQ(e.place, "iniFiles[1].sections[0].entries[0][1]");
    e = refused(describe("[\"Input1A\"", "[\"LoopId\", \"A\"], [\"Input1B\""));
    EXPECT_EQ(e.place, "iniFiles[1].sections[0].entries[1][0]") << "loop B is not in LoopId";
    e = refused(describe("[\"Input1A\"", "[\"Input9A\""));
    EXPECT_EQ(e.place, "iniFiles[1].sections[0].entries[0][0]");
}

TEST_F(BrokenDescription, TheHomeFoldersMustLieInTheHome)
{
    PlantError e = refused(describe("\"${HOME}data/\"", "\"/var/data/\""));
    EXPECT_EQ(e.place, "iniFiles[0].sections[0].entries[0][1]");
    e = refused(describe("\"${HOME}data/\"", "\"${HOME}data\""));
    EXPECT_NE(e.reason.find("'/'"), std::string::npos) << e.reason;
    e = refused(describe("\"${HOME}data/\"", "\"${HOME}../data/\""));
    EXPECT_NE(e.reason.find("leaves"), std::string::npos) << e.reason;
    e = refused(describe("\"DATADir\"", "\"DataFolder\""));
    EXPECT_NE(e.reason.find("DATADir"), std::string::npos) << e.reason;
}

TEST_F(BrokenDescription, AMissingDescriptionFileIsNamed)
{
    const auto error = BuildPlantHome(m_home, m_parent + "/nowhere.json", false);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->file, m_parent + "/nowhere.json");
    EXPECT_FALSE(fs::exists(m_home));
}

// --- replacing a home -------------------------------------------------------

TEST_F(BrokenDescription, AnExistingHomeIsOnlyReplacedWhenAsked)
{
    const std::string description = describe();
    fs::create_directory(m_home);
    ASSERT_TRUE(Built(BuildPlantHome(m_home, description, false))) << "an empty folder is taken as it is";
    std::ofstream(m_home + "/marker") << "old";

    auto error = BuildPlantHome(m_home, description, false);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->file, m_home);
    EXPECT_TRUE(fs::exists(m_home + "/marker")) << "the old home is untouched";

    // A broken description leaves the old home as it was, even with replace.
    error = BuildPlantHome(m_home, describe("\"001:005\"", "\"01:5\""), true);
    ASSERT_TRUE(error);
    EXPECT_TRUE(fs::exists(m_home + "/marker"));

    ASSERT_TRUE(Built(BuildPlantHome(m_home, describe(), true)));
    EXPECT_FALSE(fs::exists(m_home + "/marker"));
    EXPECT_TRUE(fs::is_regular_file(m_home + "/data/QEBDES.DAT"));
    EXPECT_EQ(entries(m_parent), (std::set<std::string>{"home", "plant.json"})) << "the old home is gone";

    // A home given with a trailing slash is the same home.
    ASSERT_TRUE(Built(BuildPlantHome(m_home + "/", describe(), true)));
    EXPECT_EQ(GetPrivateProfileString("Install", "DATADir", "", m_home + "/ORPA.INI"), m_home + "/data/");
}

TEST_F(BrokenDescription, AFileInPlaceOfTheHomeIsNeverReplaced)
{
    std::ofstream(m_home) << "not a folder";
    const auto error = BuildPlantHome(m_home, describe(), true);
    ASSERT_TRUE(error);
    EXPECT_TRUE(fs::is_regular_file(m_home));
}

TEST_F(BrokenDescription, ATableOpenInTheStoreIsRefused)
{
    TestHome demo;
    ASSERT_TRUE(demo.ok());
    ASSERT_EQ(DbOpen(table::NetCnf, DbMode::ReadOnly), DbStatus::Success);
    const auto error = BuildPlantHome(m_home, describe(), false);
    ASSERT_TRUE(error);
    EXPECT_NE(error->reason.find("NETCNF"), std::string::npos);
    EXPECT_FALSE(fs::exists(m_home));
    // The open table still reads the demo home.
    EXPECT_GE(TestHome::records(table::NetCnf).size(), 30u);
}

// --- the table dump ---------------------------------------------------------

TEST(TableDump, OneDecodedLinePerRecordOrHex)
{
    TestHome home;
    ASSERT_TRUE(home.ok());
    std::ostringstream decoded, hex;
    ASSERT_FALSE(DumpTable(home.path(), "netcnf", false, decoded));
    ASSERT_FALSE(DumpTable(home.path(), "NETCNF", true, hex));
    const size_t nodes = TestHome::records(table::NetCnf).size();

    std::istringstream lines(decoded.str());
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);)
        rows.push_back(line);
    ASSERT_EQ(rows.size(), nodes);
    EXPECT_EQ(rows[0].rfind("001:001 ", 0), 0u) << rows[0];
    EXPECT_NE(rows[0].find("kind=32"), std::string::npos) << rows[0];

    std::istringstream hexLines(hex.str());
    size_t count = 0;
    for (std::string line; std::getline(hexLines, line); ++count)
        EXPECT_EQ(line.size(), 2u * NetCnfRecord::Size);
    EXPECT_EQ(count, nodes);
    EXPECT_FALSE(RecordStore::instance().isOpen(table::NetCnf)) << "the dump closes what it opened";
}

TEST(TableDump, McdefHeadersAndBlocksAreDecoded)
{
    uint8_t header[110] = {};
    header[0] = 7;
    le::putU32(header + 6, 0x01020304);
    header[10] = FunctionType::DayNightControl;
    le::putStr(header + 11, 17, "Night \"cover\"");
    header[28] = 0x05;
    const std::string line = DescribeRecord("MCDEF", header, sizeof header);
    EXPECT_EQ(line.rfind("fn=7 block=0 nr=0 item=0 status=0x0000 type=3", 0), 0u) << line;
    EXPECT_NE(line.find("name=\"Night \\\"cover\\\"\""), std::string::npos) << line;
    EXPECT_NE(line.find("flags=0x05 stamp=0x01020304"), std::string::npos) << line;
    EXPECT_NE(line.find("content=04030201"), std::string::npos) << line;

    uint8_t reference[110] = {7, 2, 1, 12, 0x10, 0x00, 15, 2, 1, 248};
    const std::string ref = DescribeRecord("mcdef", reference, sizeof reference);
    EXPECT_EQ(ref.find("type="), std::string::npos) << "only headers carry a type";
    EXPECT_NE(ref.find("status=0x0010 content=0f0201f8"), std::string::npos) << ref;

    uint8_t event[340] = {16};
    le::putStr(event + 21, 301, "001:125 GW\nDay shift is created");
    EXPECT_NE(DescribeRecord("EVENTLOG", event, sizeof event).find("\"001:125 GW\\nDay shift"), std::string::npos)
        << "a record stays on one line";
}

// Every "name=" of a dump line outside its quoted texts, but for the
// parameter triple "p=" and the dialog id "dialog=".
std::set<std::string> labelsOf(const std::string& line)
{
    const std::string unquoted = std::regex_replace(line, std::regex(R"("(\\.|[^"\\])*")"), "\"\"");
    std::set<std::string> labels;
    const std::regex label(R"((^| )([A-Za-z]+)=)");
    for (auto it = std::sregex_iterator(unquoted.begin(), unquoted.end(), label); it != std::sregex_iterator(); ++it)
        if ((*it)[2] != "p" && (*it)[2] != "dialog")
            labels.insert((*it)[2]);
    return labels;
}

bool hasField(std::span<const FieldLayout> layout, const std::string& name)
{
    return std::any_of(layout.begin(), layout.end(), [&](const FieldLayout& f) { return f.name == name; });
}

TEST(TableDump, RecordsAreShownUnderTheirLayoutNames)
{
    OrpaTextRecord message = SampleControlText();
    message.kind = OrpaTextRecord::TextById;
    message.id = 120;
    message.control = 0;
    XrtBrugRecord guest;
    guest.login = "GUEST";

    const auto line = [](const char* table, const auto& record) {
        const auto bytes = record.bytes();
        return DescribeRecord(table, bytes.data(), bytes.size());
    };
    const struct {
        std::string line;
        std::string expected;
        std::span<const FieldLayout> layout;
    } dumps[] = {
        {line(table::NetCnf, SampleNode()),
         R"(001:017 idCode="GWY-900" ident="EVA-100" descKey="EVA100-V12" kind=288 level=2 stamp=48879)", NetCnfLayout},
        {line(table::QebDes, SampleParameter()),
         R"("EVA100-V12" p=1,515,3 fn=1029 class=6 text="Cut-in" custom="Cut in at" fnText="Thermostat" )"
         R"(fnCustom="Room thermostat")",
         QebDesLayout},
        {line(table::McParDef, SampleDefinition()), R"("EVA-100" node=255:255 functionParameter=4 p=5,6,7)",
         McParDefLayout},
        {line(table::OrpaText, SampleControlText()), R"("VELT" kind=1 dialog=258 control=772 text="Indoor Temp")",
         OrpaTextLayout},
        {line(table::OrpaText, message), R"("VELT" kind=3 id=120 text="Indoor Temp")", OrpaTextLayout},
        {line(table::EventLog, SampleEvent()),
         R"(2026-12-06 03:04:05 class=16 user="Anna Hansen" text="001:125 GW\nDay shift")", EventLogLayout},
        {line(table::XrtAppl, SampleApplication()), R"("VELT" window=2571 title="Control functions")", XrtApplLayout},
        {line(table::XrtBrug, SampleUser()), R"(login="AHANSEN" name="Anna Hansen" levels=0:3,76:258,99:9)",
         XrtBrugLayout},
        {line(table::XrtBrug, guest), R"(login="GUEST" name="" levels=none)", XrtBrugLayout},
    };
    for (const auto& dump : dumps) {
        EXPECT_EQ(dump.line, dump.expected);
        for (const std::string& label : labelsOf(dump.line))
            EXPECT_TRUE(hasField(dump.layout, label)) << label << " is no field of the layout: " << dump.line;
    }

    uint8_t block[McdefRecord::Size] = {7, BlockType::Input, 1, 2};
    for (const std::string& label : labelsOf(DescribeRecord(table::Mcdef, block, sizeof block)))
        EXPECT_TRUE(hasField(McdefLayout, label)) << label;
    block[1] = BlockType::Header;
    const std::set<std::string> headerLabels = labelsOf(DescribeRecord(table::Mcdef, block, sizeof block));
    for (const FieldLayout& field : McdefHeaderLayout)
        EXPECT_TRUE(headerLabels.count(std::string(field.name))) << field.name;
}

TEST(TableDump, UnknownTablesAndMissingHomesAreReported)
{
    std::ostringstream out;
    EXPECT_TRUE(DumpTable("/nonexistent/home", "NETCNF", false, out));
    EXPECT_TRUE(DumpTable("/nonexistent/home", "NOSUCH", false, out));
    EXPECT_TRUE(out.str().empty());
}

} // namespace
