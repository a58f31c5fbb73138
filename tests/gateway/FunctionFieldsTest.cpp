// A function decoded by field from its three sources: its records, the
// telegrams a backup file keeps of it, and a simulated gateway's read
// answers; the settings table against the editors' own settings writers; and
// what the comparison names.

#include "gateway/FunctionFields.h"
#include "gateway/FunctionReader.h"
#include "gateway/TelegramBuilder.h"
#include "gateway/TelegramConversion.h"
#include "protocol/CalendarSeconds.h"
#include "protocol/HeaderTelegram.h"
#include "protocol/TypeCatalogue.h"
#include "SampleGateway.h"
#include "SimulatedGateway.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace {

constexpr const char* Address = "001:125";

Telegram toGateway(uint8_t command, uint8_t p, uint8_t offset, const std::vector<uint8_t>& data)
{
    Telegram t = *BuildTelegram(command, Address, uint16_t(data.size()), p, offset);
    std::copy(data.begin(), data.end(), t.begin() + TelegramField::Data);
    return t;
}

// Reads functions as the read job does, straight from the simulated gateway.
FunctionReader readAll(SimulatedGateway& gateway, std::vector<uint8_t> wanted = {})
{
    FunctionReader reader(std::move(wanted));
    while (const std::optional<ReadRequest> request = reader.nextRequest()) {
        const std::optional<Telegram> answer =
            gateway.answer(toGateway(request->command, request->p, request->offset, request->data));
        EXPECT_TRUE(answer);
        if (!answer || !reader.takeAnswer(*answer)) {
            ADD_FAILURE() << reader.problem();
            break;
        }
    }
    return reader;
}

std::vector<McdefRecord> recordsOf(uint8_t number, const std::vector<Telegram>& answers)
{
    DirectoryEntry entry;
    entry.type = ReadHeaderAnswer(answers.front()).type;
    return ConvertTelegrams(number, answers, entry);
}

std::string valueOf(const FunctionFields& fields, const std::string& name)
{
    const FunctionField* field = fields.find(name);
    return field ? field->value + (field->unit.empty() ? "" : " " + field->unit) : "(none)";
}

McdefRecord headerRecord(uint8_t number, uint8_t type)
{
    McdefRecord header(number, BlockType::Header, 0, 0);
    header.setType(type);
    header.setName("Test");
    return header;
}

} // namespace

// The records the upload makes of the answers, the backup file the list
// writes from those records and the answers themselves give the same fields.
TEST(FunctionFieldsTest, TheThreeSourcesAgreeOnAnUploadedFunction)
{
    SimulatedGateway gateway(SampleGatewayState());
    const FunctionReader reader = readAll(gateway);
    ASSERT_EQ(reader.functions().size(), 4u);

    BackupFile file;
    std::vector<uint8_t> started;
    std::map<uint8_t, std::vector<McdefRecord>> records;
    for (const auto& [number, answers] : reader.functions()) {
        records[number] = recordsOf(number, answers);
        const McdefRecord& header = records[number].front();
        file.addFunction(number, header.stamp(),
                         BuildFunctionTelegrams(Address, header.type(), records[number], false,
                                                TypeWritableBlocks(header.type())));
        if (header.flags() & FunctionFlag::Started)
            started.push_back(number);
    }
    file.telegrams.push_back(BuildStartStopTelegram(Command::Start, Address, started));

    for (const auto& [number, answers] : reader.functions()) {
        const FunctionFields fromGateway = FunctionFieldsFromAnswers(number, answers);
        const FunctionFields fromTable = DecodeFunction(number, records[number]);
        const std::optional<FunctionFields> fromBackup = FunctionFieldsFromBackup(file, number);
        ASSERT_TRUE(fromBackup);
        EXPECT_EQ(DifferenceNames(CompareFunctions({&fromGateway, &fromTable, &*fromBackup})), "")
            << "function " << int(number);
    }

    const FunctionFields night = FunctionFieldsFromAnswers(3, reader.functions().at(3));
    EXPECT_EQ(valueOf(night, "name"), "Night");
    EXPECT_EQ(valueOf(night, "started"), "yes");
    EXPECT_EQ(valueOf(night, "manual"), "yes");
    EXPECT_EQ(valueOf(night, "output 1 controller 077"), "automatic");
    EXPECT_EQ(valueOf(night, "output 2 controller 030").rfind("parameter 15.2.1 class 248, identification 0x", 0), 0u)
        << valueOf(night, "output 2 controller 030");
    EXPECT_EQ(valueOf(night, "schedule group 1"), "1");
    EXPECT_EQ(valueOf(night, "manual value"), "1");

    const FunctionFields po = FunctionFieldsFromAnswers(5, reader.functions().at(5));
    EXPECT_EQ(valueOf(po, "period"), "1200 s");
    EXPECT_EQ(valueOf(po, "optimise communication"), "255");
    EXPECT_EQ(valueOf(po, "evaporator 2 defrost delay"), "controller 002 loop B: 600 s");
    EXPECT_NE(valueOf(po, "input 1 controller 001"), "(none)");

    const FunctionFields week = FunctionFieldsFromAnswers(1, reader.functions().at(1));
    EXPECT_EQ(valueOf(week, "Monday period 1 on"), "07:00");
    EXPECT_EQ(valueOf(week, "Sunday period 2 off"), "17:00");
    EXPECT_EQ(valueOf(week, "special period 1"), "2025.01.06 00:00 -> 2025.01.06 23:59 Off");

    const FunctionFields peak = FunctionFieldsFromAnswers(6, reader.functions().at(6));
    EXPECT_EQ(valueOf(peak, "normal meter reading"), "1000.5 kWh");
    EXPECT_FALSE(peak.find("normal meter reading")->compared) << "the gateway measures it itself";
    EXPECT_EQ(valueOf(peak, "schedule group 3"), "2");
}

// A gateway that stores a written block with one byte changed: the read-back
// names the field, and only that field's block.
TEST(FunctionFieldsTest, ReadingBackAfterAWriteFindsTheChangedByte)
{
    GatewayState state = SampleGatewayState();
    SimulatedGateway clean(state);
    const std::vector<McdefRecord> records = recordsOf(3, readAll(clean, {3}).functions().at(3));

    GatewayFaults faults;
    faults.corruptStoredBlock = true;
    SimulatedGateway faulty(state, faults);
    for (const Telegram& t : BuildFunctionTelegrams(Address, FunctionType::DayNightControl, records, false,
                                                    TypeWritableBlocks(FunctionType::DayNightControl))) {
        const std::optional<Telegram> answer = faulty.answer(t);
        ASSERT_TRUE(answer);
        EXPECT_EQ((*answer)[25], GatewayStatus::Accepted) << "the write is accepted";
    }
    const FunctionReader reader = readAll(faulty, {3, 4});
    EXPECT_EQ(reader.missing(), std::vector<uint8_t>{4});
    const FunctionFields stored = FunctionFieldsFromAnswers(3, reader.functions().at(3));
    const FunctionFields sent = DecodeFunction(3, records);
    const std::vector<FieldDifference> differences = CompareFunctions({&stored, &sent});
    EXPECT_EQ(DifferenceNames(differences), "stamp, manual, manual mode");
    ASSERT_EQ(differences.size(), 3u);
    EXPECT_EQ(differences[2].values, (std::vector<std::optional<std::string>>{"0", "1"}));
}

TEST(FunctionFieldsTest, TheComparisonNamesLostReferencesAndLeavesOutWhatASourceCannotKnow)
{
    McdefRecord output(3, BlockType::Output, 1, 77);
    std::fill_n(&output[McdefRecord::ContentOffset], 3, uint8_t(255));
    McdefRecord header = headerRecord(3, FunctionType::DayNightControl);
    header.setFlags(FunctionFlag::Started | FunctionFlag::Manual | FunctionFlag::ReferenceErrorMark);
    const FunctionFields table = DecodeFunction(3, {header, output});

    McdefRecord gatewayHeader = header;
    gatewayHeader.setFlags(FunctionFlag::Started | FunctionFlag::Manual);
    const FunctionFields gateway = DecodeFunction(3, {gatewayHeader});
    const FunctionFields backup = DecodeFunction(3, {header, output}, HeaderFlags::StartedOnly);
    EXPECT_FALSE(backup.find("manual")) << "a backup file does not know the manual flag";

    const std::vector<FieldDifference> differences = CompareFunctions({&gateway, &table, &backup});
    ASSERT_EQ(DifferenceNames(differences), "output 1 controller 077") << "error marks and manual are not compared";
    EXPECT_EQ(differences[0].values,
              (std::vector<std::optional<std::string>>{std::nullopt, "automatic", "automatic"}));

    const std::vector<FieldDifference> missing = CompareFunctions({nullptr, &table});
    ASSERT_EQ(DifferenceNames(missing), "function");
    EXPECT_EQ(missing[0].values, (std::vector<std::optional<std::string>>{std::nullopt, "present"}));
}
