#include "protocol/DataBlocks.h"
#include "protocol/HeaderTelegram.h"
#include "protocol/ReferenceForms.h"
#include "protocol/Telegram.h"
#include "protocol/TypeCatalogue.h"

#include <gtest/gtest.h>

// Each reference command belongs to exactly one form, and an item read back
// from the bytes it was written to is the item: parameter and checksum bytes
// around the status byte of a read item.
TEST(ReferenceForms, ItemsRoundTripInEveryFormAndDirection)
{
    for (const int direction : {Direction::Input, Direction::Output}) {
        for (const uint8_t kind : {SlotKind::Automatic, SlotKind::Parameter, SlotKind::KeptByEditor}) {
            const ReferenceForm& form = *FindSlotForm(direction, kind);
            EXPECT_EQ(FindReferenceForm(form.readCommand), &form);
            EXPECT_EQ(FindReferenceForm(form.writeCommand), &form);
            EXPECT_EQ(form.writeCommand, form.readCommand + 1);
            EXPECT_LE(2 + form.maxWriteItems * form.writeItemSize(), TelegramDataSize);
            EXPECT_LE(2 + form.maxReadItems * form.readItemSize(), TelegramDataSize);

            ReferenceItemFields item{7, 42, {}, 0x0A};
            for (size_t i = 0; i < form.parameterBytes + form.checksumBytes; ++i)
                item.parameters[i] = uint8_t(i + 1);
            if (kind == SlotKind::Automatic)
                item.parameters[0] = item.parameters[1] = item.parameters[2] = 255;
            std::array<uint8_t, 40> bytes{};
            WriteReferenceItem(bytes.data(), form, form.readCommand, item);
            const ReferenceItemFields read = ReadReferenceItem(bytes.data(), form, form.readCommand);
            EXPECT_EQ(read.parameters, item.parameters) << int(kind);
            EXPECT_EQ(read.status, 0x0A);
            EXPECT_EQ(bytes[2 + form.parameterBytes], 0x0A) << "the status follows the parameter bytes";

            bytes.fill(0);
            WriteReferenceItem(bytes.data(), form, form.writeCommand, item);
            EXPECT_EQ(bytes[form.writeItemSize()], 0) << "a write item ends after its checksum";
            EXPECT_EQ(ReadReferenceItem(bytes.data(), form, form.writeCommand).address, 42);
        }
    }
    EXPECT_EQ(FindReferenceForm(Command::WriteSchedules), nullptr);
}

TEST(ReferenceForms, TheWriteCommandFollowsTheParameterAndChecksum)
{
    ReferenceParameters parameters{};
    parameters[0] = 255;
    EXPECT_EQ(WriteCommandFor(Direction::Input, parameters.data()), Command::WriteSimpleInputs);
    parameters[0] = 15;
    EXPECT_EQ(WriteCommandFor(Direction::Output, parameters.data()), Command::WriteParameterOutputs);
    parameters[33] = 1;
    EXPECT_EQ(WriteCommandFor(Direction::Input, parameters.data()), Command::WriteMultiInputs);
}

TEST(DataBlocks, WriteLengthsOfPlainAndListBlocks)
{
    EXPECT_EQ(DataBlockWriteLength(FunctionType::YearlySchedule, 3, 0), 85);
    EXPECT_EQ(DataBlockWriteLength(FunctionType::YearlySchedule, 4, 3), 32) << "three periods of 10 bytes";
    EXPECT_EQ(DataBlockWriteLength(FunctionType::PeakShaving, 4, 0), 0) << "measured, never written";
    EXPECT_EQ(DataBlockWriteLength(FunctionType::QebOn, 2, 0), 0) << "no such block";
    for (const CatalogueEntry& entry : TypeCatalogue())
        for (uint8_t block = 1; block <= 4; ++block)
            if (TypeBlockKind(entry[0], block) != BlockKind::None) {
                EXPECT_NE(FindBlockLayout(entry[0], block), nullptr) << int(entry[0]) << " block " << int(block);
            }
}

// Both header forms read back what was laid out; only the answer keeps
// flags and stamp, and the name ends at 16 characters.
TEST(HeaderTelegram, AnswerAndWriteRoundTrip)
{
    HeaderTelegram h;
    h.number = 12;
    h.type = FunctionType::PoOptimizer;
    h.flags = 0x05;
    h.stamp = 0xA1B2C3D4;
    h.name = "Suction group 1 and more";
    h.inputs = {0x03, {1, 2}, {20, 1}};
    h.outputs = {0x80, {0, 0, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 4}};
    h.scheduleMask = 0x01;
    h.scheduleCounts = {1, 0, 0, 0};
    h.blockMask = 0x0F;

    const HeaderTelegram answer = ReadHeaderAnswer(BuildHeaderTelegram(Command::ReadHeader, "001:125", h));
    EXPECT_EQ(answer.flags, 0x05);
    EXPECT_EQ(answer.stamp, 0xA1B2C3D4u);
    EXPECT_EQ(answer.name, "Suction group 1 ");
    EXPECT_EQ(answer.inputs.counts, h.inputs.counts);
    EXPECT_EQ(answer.outputs.kinds, h.outputs.kinds);
    EXPECT_EQ(answer.scheduleCounts, h.scheduleCounts);
    EXPECT_EQ(answer.blockMask, 0x0F);

    const Telegram write = BuildHeaderTelegram(Command::WriteHeader, "001:125", h);
    EXPECT_EQ(TelegramDataLength(write), HeaderWriteLength);
    const HeaderTelegram written = ReadHeaderWrite(write);
    EXPECT_EQ(written.flags, 0);
    EXPECT_EQ(written.type, FunctionType::PoOptimizer);
    EXPECT_EQ(written.outputs.counts, h.outputs.counts);
    EXPECT_EQ(written.blockMask, 0x0F);
}
