#include "GatewayImage.h"
#include "ImageSource.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/ServerFrame.h"
#include "protocol/TypeCatalogue.h"
#include "SampleGateway.h"
#include "SimulatedGateway.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <initializer_list>

namespace {

Telegram request(uint8_t command, std::initializer_list<uint8_t> data, uint8_t p = 255, uint8_t offset = 0)
{
    Telegram t = *BuildTelegram(command, "001:125", uint16_t(data.size()), p, offset);
    std::copy(data.begin(), data.end(), t.begin() + TelegramField::Data);
    return t;
}

// The header write of a new function as an update sends it: masks and kinds from the catalogue.
Telegram headerWrite(uint8_t number, uint8_t type, const std::string& name)
{
    Telegram t = *BuildTelegram(Command::WriteHeader, "001:125", 57, type, 0);
    uint8_t* d = &t[TelegramField::Data];
    d[0] = number;
    le::putChars(d + 1, 16, name);
    for (const auto& [at, direction] : {std::pair{17, Direction::Input}, std::pair{34, Direction::Output}}) {
        const SlotSet slots = TypeSlots(type, direction);
        d[at] = slots.mask;
        for (int s = 0; s < 8; ++s)
            d[at + 1 + 2 * s] = slots.has(s + 1) ? slots.descriptors[size_t(s)].kind : 0;
    }
    d[51] = TypeOption(type, 0);
    d[56] = TypeBlockMask(type);
    return t;
}

uint8_t writeStatus(const Telegram& answer) { return answer[25]; }
uint32_t writeStamp(const Telegram& answer) { return le::u32(&answer[26]); }

class SimulatedGatewayTest : public ::testing::Test {
protected:
    Telegram ask(const Telegram& t)
    {
        const auto answer = gateway.answer(t);
        EXPECT_TRUE(answer);
        return answer.value_or(Telegram{});
    }
    uint32_t stampOf(uint8_t number) { return gateway.state().functions.at(number).stamp; }

    SimulatedGateway gateway{SampleGatewayState()};
};

} // namespace

TEST_F(SimulatedGatewayTest, NetConfigurationMemoryAndDirectory)
{
    const Telegram net = ask(request(Command::NetConfigStamp, {}));
    EXPECT_EQ(IdentifyTelegram(net)->command, Command::NetConfigStamp);
    EXPECT_EQ(le::u16(&net[24]), 500);

    const Telegram memory = ask(request(Command::Memory, {}));
    const uint32_t used = TypeSize(0) + TypeSize(3) + TypeSize(8) + TypeSize(4);
    EXPECT_EQ(le::u16(&memory[24]), 16);
    EXPECT_EQ(le::u16(&memory[26]), (16 * 1024 - used) / 1024);
    EXPECT_EQ(memory[28], 4);
    EXPECT_EQ(memory[29], 100);
    EXPECT_EQ(memory[30 + 0], 3);
    EXPECT_EQ(memory[30 + 3], 2);
    EXPECT_EQ(memory[30 + 9], 0);
    EXPECT_EQ(TelegramDataLength(memory), 106);

    const Telegram directory = ask(request(Command::Directory, {}));
    EXPECT_EQ(directory[24], 4);
    EXPECT_EQ(directory[28 + 0], 0);
    EXPECT_EQ(directory[28 + 1], 255);
    EXPECT_EQ(directory[28 + 2], 3);
    EXPECT_EQ(directory[28 + 4], 8);
    EXPECT_EQ(directory[28 + 5], 4);
    EXPECT_EQ(directory[28 + 104], 255);
}

TEST_F(SimulatedGatewayTest, StampsInBatchesWithFlags)
{
    const Telegram stamps = ask(request(Command::Stamps, {3, 1, 3, 2}));
    EXPECT_EQ(stamps[24], 3);
    EXPECT_EQ(TelegramDataLength(stamps), 1 + 3 * 6);
    EXPECT_EQ(stamps[25], 1);
    EXPECT_EQ(stamps[26], FunctionFlag::Started) << "a passive schedule always runs";
    EXPECT_EQ(le::u32(&stamps[27]), stampOf(1));
    EXPECT_EQ(stamps[31], 3);
    EXPECT_EQ(stamps[32], FunctionFlag::Started | FunctionFlag::Manual);
    EXPECT_EQ(le::u32(&stamps[33]), stampOf(3));
    EXPECT_EQ(stamps[37], 2) << "a number without a function is answered with stamp 0";
    EXPECT_EQ(le::u32(&stamps[39]), 0u);

    std::initializer_list<uint8_t> nineteen = {19, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(ask(request(Command::Stamps, nineteen))[24], 18) << "at most 18 per answer";
}

TEST_F(SimulatedGatewayTest, HeaderAnswerCarriesFlagsStampNameAndLayout)
{
    const Telegram h = ask(request(Command::ReadHeader, {3}));
    EXPECT_EQ(IdentifyTelegram(h)->command, Command::ReadHeader);
    EXPECT_EQ(h[22], FunctionType::DayNightControl);
    EXPECT_EQ(h[24], 3);
    EXPECT_EQ(h[25], FunctionFlag::Started | FunctionFlag::Manual);
    EXPECT_EQ(le::u32(&h[26]), stampOf(3));
    EXPECT_EQ(le::str(&h[30], 16), "Night");
    EXPECT_EQ(h[46], 0) << "no inputs";
    EXPECT_EQ(h[63], 0x03);
    EXPECT_EQ(h[64], SlotKind::Automatic);
    EXPECT_EQ(h[65], 2) << "two automatic outputs";
    EXPECT_EQ(h[66], SlotKind::Parameter);
    EXPECT_EQ(h[67], 1);
    EXPECT_EQ(h[80], 0x01);
    EXPECT_EQ(h[81], 1) << "one schedule in group 1";
    EXPECT_EQ(h[85], 0x01);
    EXPECT_EQ(TelegramDataLength(h), 62);

    const Telegram missing = ask(request(Command::ReadHeader, {2}));
    EXPECT_EQ(missing[22], 255);
    EXPECT_EQ(missing[25], FunctionFlag::NothingFurther);

    // A function whose header is all there is says so.
    Telegram bare = headerWrite(9, FunctionType::QebOn, "Bare");
    bare[TelegramField::Data + 56] = 0;
    ASSERT_EQ(writeStatus(ask(bare)), GatewayStatus::Accepted);
    EXPECT_EQ(ask(request(Command::ReadHeader, {9}))[25], FunctionFlag::NothingFurther);
}

TEST_F(SimulatedGatewayTest, ReferenceReadsInAllThreeForms)
{
    const Telegram simple = ask(request(Command::ReadSimpleOutputs, {3, 3, 0, 1, 7}, 255, 1));
    EXPECT_EQ(IdentifyTelegram(simple)->command, Command::ReadSimpleOutputs);
    EXPECT_EQ(IdentifyTelegram(simple)->offset, 1);
    EXPECT_EQ(simple[22], FunctionType::DayNightControl);
    EXPECT_EQ(simple[25], 2) << "index 7 is not there";
    EXPECT_EQ((std::vector<uint8_t>(&simple[26], &simple[32])), (std::vector<uint8_t>{0, 1, 0, 1, 77, ItemStatus::NoAnswer}));
    EXPECT_EQ(TelegramDataLength(simple), 2 + 2 * 3);

    const Telegram parameter = ask(request(Command::ReadParameterOutputs, {3, 1, 0}, 255, 2));
    const uint16_t checksum = IdentityChecksum(32, "RTH-20");
    EXPECT_EQ((std::vector<uint8_t>(&parameter[26], &parameter[35])),
              (std::vector<uint8_t>{0, 30, 15, 2, 1, 248, 0, uint8_t(checksum), uint8_t(checksum >> 8)}));

    const Telegram multi = ask(request(Command::ReadMultiInputs, {5, 2, 0, 1}, 255, 1));
    EXPECT_EQ(multi[25], 2);
    const uint8_t* second = &multi[26 + 37];
    EXPECT_EQ(second[0], 1);
    EXPECT_EQ(second[1], 2);
    EXPECT_EQ((std::vector<uint8_t>(second + 2, second + 6)), (std::vector<uint8_t>{3, 14, 2, 7}));
    EXPECT_EQ(second[34], ItemStatus::TypeConflict);
    EXPECT_EQ(le::u16(second + 35), IdentityChecksum(32, "EVA-100"));
    EXPECT_EQ(TelegramDataLength(multi), 2 + 2 * 37);
}

TEST_F(SimulatedGatewayTest, ScheduleReferencesReportMissingSchedules)
{
    const Telegram group1 = ask(request(Command::ReadSchedules, {6}, 255, 1));
    EXPECT_EQ(group1[25], 1);
    EXPECT_EQ(group1[26], 1);
    EXPECT_EQ(group1[27], 0);
    const Telegram group3 = ask(request(Command::ReadSchedules, {6}, 255, 3));
    EXPECT_EQ(group3[26], 2);
    EXPECT_EQ(group3[27], ItemStatus::NoAnswer) << "function 2 does not exist";
    EXPECT_EQ(ask(request(Command::ReadSchedules, {6}, 255, 2))[25], 0);
}

TEST_F(SimulatedGatewayTest, PlainDataBlocksWithTheirLengthAndReportedValues)
{
    const Telegram weekly = ask(request(Command::ReadDataBlock, {1}, 0, 2));
    EXPECT_EQ(TelegramDataLength(weekly), 6 + 28);
    EXPECT_EQ(weekly[24], 1);
    EXPECT_EQ(le::u32(&weekly[26]), stampOf(1));
    EXPECT_EQ(le::i16(&weekly[30]), 7 * 60);
    EXPECT_EQ(le::i16(&weekly[32]), 21 * 60);

    const Telegram meters = ask(request(Command::ReadDataBlock, {6}, 4, 2));
    EXPECT_EQ(TelegramDataLength(meters), 6 + 29) << "the peak shaving block 2 answer includes both meter readings";
    EXPECT_EQ(le::u16(&meters[30]), 200);
    EXPECT_FLOAT_EQ(le::f32(&meters[30 + 21]), 1000.5f);

    const Telegram consumption = ask(request(Command::ReadDataBlock, {6}, 4, 3));
    EXPECT_EQ(TelegramDataLength(consumption), 110);
    EXPECT_FLOAT_EQ(le::f32(&consumption[30]), 1.0f);
    EXPECT_FLOAT_EQ(le::f32(&consumption[30 + 52]), 21.0f);
    EXPECT_FLOAT_EQ(le::f32(&consumption[30 + 100]), 33.0f);
}

TEST_F(SimulatedGatewayTest, PoOptimizerBlockOneShortFormWithoutOptimiseCommunication)
{
    const Telegram shortForm = ask(request(Command::ReadDataBlock, {5}, 8, 1));
    EXPECT_EQ(shortForm[22], FunctionType::PoOptimizer);
    EXPECT_LE(le::u32(&shortForm[TelegramField::Length]), 32u);
    EXPECT_FLOAT_EQ(le::f32(&shortForm[30 + 13]), 1.5f);

    // Written with the setting, it comes back in the long form.
    Telegram write = request(Command::WriteDataBlock, {5}, 8, 1);
    SetTelegramDataLength(write, 23);
    write[25 + PoOptimiseCommunicationByte] = 1;
    ASSERT_EQ(writeStatus(ask(write)), GatewayStatus::Accepted);
    const Telegram longForm = ask(request(Command::ReadDataBlock, {5}, 8, 1));
    EXPECT_EQ(le::u32(&longForm[TelegramField::Length]), 33u);
    EXPECT_EQ(longForm[30 + PoOptimiseCommunicationByte], 1);
    EXPECT_FLOAT_EQ(le::f32(&longForm[30 + 13]), 1.5f) << "the measured offset is not overwritten";
}

TEST_F(SimulatedGatewayTest, ListBlocksByIndicesAndByPortions)
{
    // Yearly schedule periods, asked for in requests of ten indices.
    const Telegram first = ask(request(Command::ReadDataBlock, {1, 10, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, 4));
    EXPECT_EQ(first[30], 10);
    EXPECT_EQ(TelegramDataLength(first), 6 + 1 + 10 * 10);
    EXPECT_EQ(first[31], 0);
    EXPECT_EQ(first[32], 0) << "the period forces Off";
    EXPECT_EQ(le::u32(&first[33]), 1736121600u) << "2025-01-06 00:00 without zone";
    EXPECT_EQ(first[41], 1);
    EXPECT_EQ(first[42], 255) << "an index without a period is a deleted entry";

    // Po optimizer evaporators and history in portions: size and first entry.
    const Telegram delays = ask(request(Command::ReadDataBlock, {5, 20, 0}, 8, 2));
    EXPECT_EQ(delays[30], 20);
    EXPECT_EQ((std::vector<uint8_t>(&delays[31], &delays[41])), (std::vector<uint8_t>{0, 1, 0, 0xb0, 0x04, 1, 2, 1, 0x58, 0x02}));
    EXPECT_EQ((std::vector<uint8_t>(&delays[41], &delays[46])), (std::vector<uint8_t>{2, 255, 255, 0, 0})) << "end mark";
    const Telegram week = ask(request(Command::ReadDataBlock, {5, 20, 1}, 8, 4));
    EXPECT_EQ(week[31], 1);
    EXPECT_EQ(le::u16(&week[34]), 4080);
}

TEST_F(SimulatedGatewayTest, AcceptedWritesChangeTheStampAndRefusedOnesDoNot)
{
    const uint32_t before = stampOf(3);
    const Telegram manual = request(Command::WriteDataBlock, {3, 0, 0}, FunctionType::DayNightControl, 1);
    const Telegram answer = ask(manual);
    EXPECT_EQ(IdentifyTelegram(answer)->command, Command::WriteDataBlock);
    EXPECT_EQ(writeStatus(answer), GatewayStatus::Accepted);
    EXPECT_NE(writeStamp(answer), before);
    EXPECT_EQ(writeStamp(answer), stampOf(3));
    EXPECT_FALSE(gateway.state().functions.at(3).flags & FunctionFlag::Manual) << "manual mode follows block 1";

    const uint32_t after = stampOf(3);
    EXPECT_EQ(writeStatus(ask(request(Command::WriteDataBlock, {3, 0}, FunctionType::DayNightControl, 1))),
              GatewayStatus::BadRequest) << "block 1 of a day/night function is three data bytes";
    EXPECT_EQ(writeStatus(ask(request(Command::WriteDataBlock, {3, 0, 0}, FunctionType::DayNightExternal, 1))),
              GatewayStatus::TypeDiffers);
    EXPECT_EQ(writeStatus(ask(request(Command::WriteDataBlock, {4, 0, 0}, FunctionType::DayNightControl, 1))),
              GatewayStatus::NoSuchFunction);
    EXPECT_EQ(writeStatus(ask(request(Command::WriteDataBlock, {1, 0, 0}, FunctionType::YearlySchedule, 1))),
              GatewayStatus::BadRequest) << "the schedule's block 1 is only read";
    EXPECT_EQ(stampOf(3), after);
}

TEST_F(SimulatedGatewayTest, HeaderWriteReplacesReferencesAndSchedules)
{
    ASSERT_EQ(writeStatus(ask(headerWrite(3, FunctionType::DayNightControl, "Renamed"))), GatewayStatus::Accepted);
    Telegram h = ask(request(Command::ReadHeader, {3}));
    EXPECT_EQ(le::str(&h[30], 16), "Renamed");
    EXPECT_EQ(h[65], 0);
    EXPECT_EQ(h[81], 0);
    EXPECT_TRUE(h[25] & FunctionFlag::Manual) << "the data blocks stay";

    ASSERT_EQ(writeStatus(ask(request(Command::WriteSimpleOutputs, {3, 2, 0, 12, 1, 13}, 3, 1))), GatewayStatus::Accepted);
    ASSERT_EQ(writeStatus(ask(request(Command::WriteSimpleOutputs, {3, 1, 2, 14}, 3, 1))), GatewayStatus::Accepted);
    ASSERT_EQ(writeStatus(ask(request(Command::WriteSchedules, {3, 1, 1}, 3, 1))), GatewayStatus::Accepted);
    h = ask(request(Command::ReadHeader, {3}));
    EXPECT_EQ(h[65], 3) << "a second telegram of the group adds to it";
    EXPECT_EQ(h[81], 1);
    const Telegram items = ask(request(Command::ReadSimpleOutputs, {3, 3, 0, 1, 2}, 255, 1));
    EXPECT_EQ(items[27], 12);
    EXPECT_EQ(items[33], 14);

    EXPECT_EQ(writeStatus(ask(request(Command::WriteSimpleInputs, {3, 1, 0, 12}, 3, 1))), GatewayStatus::BadRequest)
        << "a day/night function has no input slot";
    EXPECT_EQ(writeStatus(ask(request(Command::WriteSimpleOutputs, {3, 2, 0, 12}, 3, 1))), GatewayStatus::BadRequest)
        << "the count does not fit the data length";
    EXPECT_EQ(writeStatus(ask(headerWrite(3, FunctionType::QebOn, "Other"))), GatewayStatus::TypeDiffers);
}

TEST_F(SimulatedGatewayTest, MemoryAndTypeLimitsGuardNewFunctions)
{
    const uint32_t free = gateway.state().freeMemory();
    EXPECT_EQ(writeStatus(ask(headerWrite(7, FunctionType::PoOptimizer, "Second Po"))), GatewayStatus::TypeLimitReached);
    EXPECT_EQ(writeStatus(ask(headerWrite(7, FunctionType::AlarmLimitDirect, "A"))), GatewayStatus::Accepted);
    EXPECT_EQ(gateway.state().freeMemory(), free - TypeSize(FunctionType::AlarmLimitDirect));
    EXPECT_EQ(writeStatus(ask(headerWrite(8, FunctionType::DayNightExternal, "B"))), GatewayStatus::Accepted);
    EXPECT_EQ(writeStatus(ask(headerWrite(9, FunctionType::QebOn, "C"))), GatewayStatus::Accepted);
    ASSERT_LT(gateway.state().freeMemory(), TypeSize(FunctionType::CentralDefrost));
    EXPECT_EQ(writeStatus(ask(headerWrite(10, FunctionType::CentralDefrost, "D"))), GatewayStatus::MemoryFull);
    EXPECT_EQ(le::u16(&ask(request(Command::Memory, {}))[26]), gateway.state().freeMemory() / 1024);

    ASSERT_EQ(ask(request(Command::Delete, {1, 9}))[24], GatewayStatus::Accepted);
    EXPECT_EQ(writeStatus(ask(headerWrite(10, FunctionType::CentralDefrost, "D"))), GatewayStatus::Accepted);
    EXPECT_EQ(writeStatus(ask(headerWrite(0, FunctionType::QebOn, "E"))), GatewayStatus::BadRequest);
    EXPECT_EQ(writeStatus(ask(headerWrite(106, FunctionType::QebOn, "E"))), GatewayStatus::BadRequest);
}

TEST_F(SimulatedGatewayTest, StartAndStopAllOrNothing)
{
    const uint32_t stamp = stampOf(5);
    const Telegram start = ask(request(Command::Start, {2, 5, 6}));
    EXPECT_EQ(IdentifyTelegram(start)->command, Command::Start);
    EXPECT_EQ(start[24], GatewayStatus::Accepted);
    EXPECT_TRUE(gateway.state().functions.at(5).flags & FunctionFlag::Started);
    EXPECT_TRUE(gateway.state().functions.at(6).flags & FunctionFlag::Started);
    EXPECT_EQ(stampOf(5), stamp) << "starting is no change of the definition";

    EXPECT_EQ(ask(request(Command::Stop, {2, 5, 1}))[24], GatewayStatus::NotStartable) << "a yearly schedule is passive";
    EXPECT_TRUE(gateway.state().functions.at(5).flags & FunctionFlag::Started) << "nothing stopped";
    EXPECT_EQ(ask(request(Command::Start, {1, 1}))[24], GatewayStatus::NotStartable);
    EXPECT_EQ(ask(request(Command::Stop, {1, 2}))[24], GatewayStatus::NoSuchFunction);
    EXPECT_EQ(ask(request(Command::Stop, {2, 5, 6}))[24], GatewayStatus::Accepted);
    EXPECT_FALSE(gateway.state().functions.at(6).flags & FunctionFlag::Started);
}

TEST_F(SimulatedGatewayTest, DeleteAndReset)
{
    EXPECT_EQ(ask(request(Command::Delete, {1, 2}))[24], GatewayStatus::NoSuchFunction);
    const Telegram deleted = ask(request(Command::Delete, {1, 6}));
    EXPECT_EQ(IdentifyTelegram(deleted)->command, Command::Delete);
    EXPECT_EQ(deleted[24], GatewayStatus::Accepted);
    EXPECT_EQ(ask(request(Command::Directory, {}))[28 + 5], 255);
    EXPECT_EQ(ask(request(Command::Memory, {}))[28], 3);

    EXPECT_EQ(ask(request(Command::Reset, {}))[24], GatewayStatus::Accepted);
    EXPECT_TRUE(gateway.state().functions.empty());
    EXPECT_EQ(le::u16(&ask(request(Command::Memory, {}))[26]), 16);
    EXPECT_EQ(le::u16(&ask(request(Command::NetConfigStamp, {}))[24]), 500) << "the gateway itself stays";
}

TEST_F(SimulatedGatewayTest, UnknownTelegramsGetNoAnswer)
{
    Telegram t = request(Command::ReadHeader, {1});
    t[TelegramField::Command1] = 0x61;
    EXPECT_FALSE(gateway.answer(t));
}

TEST(SimulatedGatewayFaults, RefusedWrites)
{
    GatewayFaults faults;
    faults.refuseWrites = 7;
    SimulatedGateway gateway(SampleGatewayState(), faults);
    const uint32_t stamp = gateway.state().functions.at(3).stamp;
    const Telegram answer = *gateway.answer(request(Command::WriteDataBlock, {3, 0, 0}, 3, 1));
    EXPECT_EQ(writeStatus(answer), 7);
    EXPECT_EQ(gateway.state().functions.at(3).stamp, stamp);
    EXPECT_EQ((*gateway.answer(request(Command::Start, {1, 3})))[24], GatewayStatus::Accepted) << "only 11..31";
}

TEST(SimulatedGatewayFaults, ChangedStampBetweenStampReadAndFunctionReads)
{
    GatewayFaults faults;
    faults.changedStamp = true;
    SimulatedGateway gateway(SampleGatewayState(), faults);
    const Telegram stamps = *gateway.answer(request(Command::Stamps, {2, 1, 3}));
    const Telegram header = *gateway.answer(request(Command::ReadHeader, {3}));
    const Telegram block = *gateway.answer(request(Command::ReadDataBlock, {1}, 0, 2));
    EXPECT_NE(le::u32(&stamps[33]), le::u32(&header[26]));
    EXPECT_NE(le::u32(&stamps[27]), le::u32(&block[26]));
    EXPECT_EQ(writeStatus(*gateway.answer(request(Command::WriteDataBlock, {3, 0, 0}, 3, 1))), GatewayStatus::StampChanged);
}

TEST(SimulatedGatewayFaults, MemoryFull)
{
    GatewayFaults faults;
    faults.memoryFull = true;
    SimulatedGateway gateway(SampleGatewayState(), faults);
    EXPECT_EQ(le::u16(&(*gateway.answer(request(Command::Memory, {})))[26]), 0);
    EXPECT_EQ(writeStatus(*gateway.answer(headerWrite(9, FunctionType::QebOn, "New"))), GatewayStatus::MemoryFull);
    EXPECT_EQ(writeStatus(*gateway.answer(headerWrite(3, FunctionType::DayNightControl, "Old"))), GatewayStatus::Accepted)
        << "an existing function takes no more memory";
}

// Start, stop and delete answers echo the numbers after the status; with the
// fault switched on every answer about a function names the next number.
TEST(SimulatedGatewayFaults, AnswerForAnotherFunction)
{
    SimulatedGateway plain(SampleGatewayState());
    const Telegram stopped = *plain.answer(request(Command::Stop, {2, 3, 105}));
    EXPECT_EQ(TelegramDataLength(stopped), 3);
    EXPECT_EQ(stopped[TelegramField::Data + 1], 3);
    EXPECT_EQ(stopped[TelegramField::Data + 2], 105);

    GatewayFaults faults;
    faults.answerOtherFunction = true;
    SimulatedGateway gateway(SampleGatewayState(), faults);
    EXPECT_EQ((*gateway.answer(request(Command::ReadHeader, {3})))[TelegramField::Data], 4);
    EXPECT_EQ((*gateway.answer(request(Command::WriteDataBlock, {3, 0, 0}, 3, 1)))[TelegramField::Data], 4);
    const Telegram deleted = *gateway.answer(request(Command::Delete, {2, 3, 105}));
    EXPECT_EQ(deleted[TelegramField::Data + 1], 4);
    EXPECT_EQ(deleted[TelegramField::Data + 2], 1);
    EXPECT_EQ((*gateway.answer(request(Command::Memory, {})))[TelegramField::Data + 4],
              (*plain.answer(request(Command::Memory, {})))[TelegramField::Data + 4])
        << "answers that name no function stay as they are";
}

TEST(SimulatedGatewayPassword, AnswersByWhetherTheGatewayHasOne)
{
    GatewayState state = SampleGatewayState();
    EXPECT_EQ(SimulatedGateway(state).checkPassword(""), PasswordAnswer::NoPassword);
    EXPECT_EQ(SimulatedGateway(state).checkPassword("x"), PasswordAnswer::NoPassword);
    state.password = "1234";
    const SimulatedGateway guarded(state);
    EXPECT_EQ(guarded.checkPassword(""), PasswordAnswer::Refused);
    EXPECT_EQ(guarded.checkPassword("123"), PasswordAnswer::Refused);
    EXPECT_EQ(guarded.checkPassword("1234"), PasswordAnswer::Accepted);
}

TEST(SimulatedGatewayPersistence, EveryAcceptedChangeIsInTheImage)
{
    QTemporaryDir folder;
    const std::string image = folder.filePath("gateway.img").toStdString();
    SimulatedGateway gateway(SampleGatewayState());
    gateway.setImageFile(image);
    std::string error;

    ASSERT_EQ(writeStatus(*gateway.answer(headerWrite(9, FunctionType::QebOn, "Kept"))), GatewayStatus::Accepted);
    auto saved = ReadGatewayImage(image, error);
    ASSERT_TRUE(saved) << error;
    EXPECT_TRUE(*saved == gateway.state());
    EXPECT_EQ(saved->functions.at(9).name, "Kept");

    ASSERT_EQ((*gateway.answer(request(Command::Start, {1, 9})))[24], GatewayStatus::Accepted);
    saved = ReadGatewayImage(image, error);
    EXPECT_TRUE(saved->functions.at(9).flags & FunctionFlag::Started);

    // A reload serves what was saved, stamps included.
    SimulatedGateway reloaded(*saved);
    EXPECT_EQ(le::u32(&(*reloaded.answer(request(Command::ReadHeader, {9})))[26]), gateway.state().functions.at(9).stamp);

    ASSERT_EQ((*gateway.answer(request(Command::Reset, {})))[24], GatewayStatus::Accepted);
    EXPECT_TRUE(ReadGatewayImage(image, error)->functions.empty());
    EXPECT_TRUE(gateway.saveError().empty());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"gateway.img"}) << "nothing left beside it";
}
