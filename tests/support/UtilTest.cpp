#include "protocol/CodePage.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "support/Util.h"

#include <gtest/gtest.h>

#include <regex>

TEST(Util, TimeStampHasItsPiecesAtFixedOffsets)
{
    const std::string stamp = GetTimeStamp();
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})"))) << stamp;
}

TEST(Util, FileNames)
{
    EXPECT_TRUE(IsValidFileName("MC980701.csv"));
    EXPECT_TRUE(IsValidFileName("/home/op/export/curve.old.csv"));
    EXPECT_TRUE(IsValidFileName("name with blanks.csv"));
    EXPECT_FALSE(IsValidFileName(""));
    EXPECT_FALSE(IsValidFileName("a?b.csv"));
    EXPECT_FALSE(IsValidFileName("a*b"));
    EXPECT_FALSE(IsValidFileName("C:\\export\\x.csv"));
    EXPECT_FALSE(IsValidFileName("folder/"));
    EXPECT_FALSE(IsValidFileName("../x"));
    EXPECT_FALSE(IsValidFileName(std::string("tab\there")));
    EXPECT_FALSE(IsValidFileName(std::string(256, 'a')));
}

TEST(Util, TextHelpers)
{
    std::string text = " 1, 2 ,3 ";
    RemoveSpaces(text);
    EXPECT_EQ(text, "1,2,3");
    EXPECT_EQ(StrFormat("%-3.3s:%03d", "0021", 7), "002:007");
    EXPECT_EQ(StrFormat("%s '%s' %s = %hd", "Error on database", "MCDEF", "Return code", short(65535)),
              "Error on database 'MCDEF' Return code = -1");
}

TEST(LittleEndian, FieldsRoundTrip)
{
    uint8_t bytes[16] = {};
    le::putU16(bytes, 0x1234);
    le::putU32(bytes + 2, 0xA1B2C3D4);
    le::putI16(bytes + 6, -2);
    le::putF32(bytes + 8, 1.5f);
    EXPECT_EQ(bytes[0], 0x34);
    EXPECT_EQ(bytes[2], 0xD4);
    EXPECT_EQ(le::u16(bytes), 0x1234);
    EXPECT_EQ(le::u32(bytes + 2), 0xA1B2C3D4u);
    EXPECT_EQ(le::i16(bytes + 6), -2);
    EXPECT_FLOAT_EQ(le::f32(bytes + 8), 1.5f);

    uint8_t field[5];
    le::putStr(field, 5, "ABCDEFG");
    EXPECT_EQ(le::str(field, 5), "ABCD") << "a terminated field keeps room for the NUL";
    le::putChars(field, 5, "ABCDEFG");
    EXPECT_EQ(le::str(field, 5), "ABCDE") << "a full field without terminator ends at its width";
}

TEST(CodePage, TextsTravelAsSingleBytesBothWays)
{
    const std::string name = "Kühlraum € Süd";
    const std::string bytes = ToCodePage(name);
    EXPECT_EQ(bytes.size(), 14u) << "one byte a character";
    EXPECT_EQ(uint8_t(bytes[1]), 0xFC);
    EXPECT_EQ(uint8_t(bytes[9]), 0x80) << "the euro sign of the 0x80 row";
    EXPECT_EQ(FromCodePage(bytes), name);
    for (int byte = 1; byte < 256; ++byte) {
        const std::string one(1, char(byte));
        EXPECT_EQ(ToCodePage(FromCodePage(one)), one) << "every byte comes back: " << byte;
    }
    bool complete = true;
    EXPECT_EQ(ToCodePage("Cold room Ω", &complete), "Cold room ?");
    EXPECT_FALSE(complete);
    EXPECT_TRUE(FitsCodePage(QString::fromStdString(name)));
    EXPECT_FALSE(FitsCodePage(QStringLiteral("Ω")));

    uint8_t field[17];
    le::putStr(field, sizeof field, "Kühlraum Süd 1234");
    EXPECT_EQ(le::str(field, sizeof field), "Kühlraum Süd 123") << "16 characters, not 16 bytes of UTF-8";
}
