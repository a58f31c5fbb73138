#include "ModelFixture.h"

#include "model/TypeNames.h"
#include "protocol/LittleEndian.h"
#include "protocol/TypeCatalogue.h"

#include <sstream>

namespace {

// The catalogue as the gateway documentation prints it: size, passive, the
// slot descriptors as hex bytes, schedule group bytes 118..122 and the data
// blocks with their kinds.
struct PrintedEntry {
    int code;
    int size;
    int passive;
    const char* inputs;
    const char* outputs;
    const char* scheduleGroups;
    const char* blocks;
};

const PrintedEntry printed[] = {
    {0, 486, 1, "", "", "00 00 00 00 00", "1:1 2:2 3:2 4:2"},
    {1, 2252, 0, "1: 00 00 00 00 01 01 01; 2: 01 04 f8 02 00 01 01", "1: 00 00 00 00 01 78 00; 2: 01 05 f8 02 00 78 00",
     "00 00 00 00 00", "1:2"},
    {2, 818, 0, "1: 01 01 fa 01 00 01 00; 2: 01 02 fa 01 00 01 00", "1: 00 00 00 00 01 78 00", "00 00 00 00 00",
     "1:2 2:2"},
    {3, 2236, 0, "", "1: 00 00 00 00 01 78 00; 2: 01 06 f8 02 00 78 00", "01 01 00 00 00", "1:2"},
    {4, 1084, 0, "", "1: 00 00 00 00 01 78 00", "07 01 01 01 00", "1:2 2:2 3:1 4:1"},
    {5, 1538, 0, "1: 01 01 fa 01 00 01 00; 2: 01 02 fa 01 00 01 00", "1: 01 03 fa 01 00 78 00; 2: 01 03 f9 01 00 78 00",
     "00 00 00 00 00", "1:2 2:2"},
    {6, 2248, 0, "1: 01 0b f8 01 00 01 00", "1: 00 00 00 00 01 78 00; 2: 01 06 f8 02 00 78 00", "01 01 00 00 00",
     "1:2 2:2"},
    {7, 1226, 0, "1: 01 07 f8 01 00 01 00; 2: 01 08 f8 01 00 78 00", "1: 01 09 f8 01 00 78 00; 2: 01 0a f8 01 00 78 00",
     "00 00 00 00 00", "1:2 2:2 3:2"},
    {8, 5568, 0, "1: 02 00 00 00 00 01 00; 2: 02 00 00 00 00 01 00", "1: 01 00 00 00 00 01 00; 2: 01 00 00 00 00 01 00",
     "00 00 00 00 00", "1:2 2:2 3:2 4:2"},
};

void putSlots(CatalogueEntry& e, size_t maskOffset, const std::string& text)
{
    std::istringstream in(text);
    std::string slotLabel;
    while (in >> slotLabel) {
        const int slot = std::stoi(slotLabel);
        e[maskOffset] = uint8_t(e[maskOffset] | (1 << (slot - 1)));
        for (int i = 0; i < 7; ++i) {
            std::string byte;
            in >> byte;
            if (!byte.empty() && byte.back() == ';')
                byte.pop_back();
            e[maskOffset + 1 + size_t(7 * (slot - 1) + i)] = uint8_t(std::stoi(byte, nullptr, 16));
        }
    }
}

CatalogueEntry expectedEntry(const PrintedEntry& p)
{
    CatalogueEntry e{};
    e[0] = uint8_t(p.code);
    le::putU16(&e[1], uint16_t(p.size));
    e[3] = uint8_t(p.passive);
    putSlots(e, 4, p.inputs);
    putSlots(e, 61, p.outputs);
    std::istringstream groups(p.scheduleGroups);
    for (size_t i = 0; i < 5; ++i) {
        std::string byte;
        groups >> byte;
        e[118 + i] = uint8_t(std::stoi(byte, nullptr, 16));
    }
    std::istringstream blocks(p.blocks);
    std::string block;
    while (blocks >> block) {
        const int number = block[0] - '0';
        e[123] = uint8_t(e[123] | (1 << (number - 1)));
        e[size_t(123 + number)] = uint8_t(block[2] - '0');
    }
    return e;
}

TEST(TypeCatalogue, EveryByteMatchesThePrintedCatalogue)
{
    ASSERT_EQ(TypeCatalogue().size(), 9u);
    for (const PrintedEntry& p : printed) {
        const CatalogueEntry expected = expectedEntry(p);
        const CatalogueEntry& actual = TypeCatalogue()[size_t(p.code)];
        for (size_t i = 0; i < CatalogueEntrySize; ++i)
            EXPECT_EQ(int(actual[i]), int(expected[i])) << "type " << p.code << " byte " << i;
    }
}

TEST(TypeCatalogue, QueriesAnswerForEveryCodeAndFailForUnknownOnes)
{
    EXPECT_EQ(TypeSize(FunctionType::PoOptimizer), 5568);
    EXPECT_EQ(TypeIsPassive(FunctionType::YearlySchedule), 1);
    EXPECT_EQ(TypeIsPassive(FunctionType::DayNightControl), 0);
    EXPECT_EQ(TypeOption(FunctionType::PeakShaving, 0), 7);
    EXPECT_EQ(TypeOption(FunctionType::PeakShaving, 1), 1);
    EXPECT_EQ(TypeOption(FunctionType::DayNightExternal, 1), 1);
    EXPECT_EQ(TypeWritableBlocks(FunctionType::YearlySchedule), (std::array<uint8_t, 4>{0, 2, 3, 4}));
    EXPECT_EQ(TypeWritableBlocks(FunctionType::PeakShaving), (std::array<uint8_t, 4>{1, 2, 0, 0}));
    EXPECT_EQ(TypeUploadBlocks(FunctionType::PeakShaving), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(TypeUploadBlocks(FunctionType::QebOn), (std::vector<uint8_t>{1}));

    const SlotSet outputs = TypeSlots(FunctionType::AlarmLimitDirect, Direction::Output);
    EXPECT_EQ(outputs.mask, 3);
    EXPECT_TRUE(outputs.has(2));
    EXPECT_FALSE(outputs.has(3));
    EXPECT_EQ(outputs.descriptors[1].parameterClass, 0xf9);
    EXPECT_EQ(outputs.descriptors[1].maximumCount, 120);
    const SlotSet inputs = TypeSlots(FunctionType::QebOn, Direction::Input);
    EXPECT_EQ(inputs.descriptors[0].minimumLevel, 1);
    EXPECT_EQ(inputs.descriptors[1].scope, 2);
    EXPECT_EQ(inputs.descriptors[1].noMixing, 1);

    for (uint8_t unknown : {9, 100, 255}) {
        EXPECT_FALSE(IsKnownType(unknown));
        EXPECT_EQ(TypeSize(unknown), 0);
        EXPECT_EQ(TypeSlots(unknown, Direction::Input).mask, 0);
        EXPECT_EQ(TypeOption(unknown, 0), 0);
        EXPECT_EQ(TypeWritableBlocks(unknown), (std::array<uint8_t, 4>{}));
        EXPECT_TRUE(TypeUploadBlocks(unknown).empty());
    }
}

class TypeNames : public ModelFixture {};

TEST_F(TypeNames, NamesComeFromTheTextTableAndUnknownCodesFail)
{
    char name[17];
    EXPECT_TRUE(TypeName(FunctionType::CentralDefrost, name, sizeof name));
    EXPECT_STREQ(name, "Central Defrost");
    EXPECT_FALSE(TypeName(42, name, sizeof name));
    EXPECT_STREQ(name, "<<unknown type>>");
    char shortBuffer[6];
    TypeName(FunctionType::PoOptimizer, shortBuffer, sizeof shortBuffer);
    EXPECT_STREQ(shortBuffer, "Po Op");
}

} // namespace
