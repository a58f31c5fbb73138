#include "model/StringTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Text(uint16_t id) {
    const char* t = BuiltinTextById(id);
    return t ? t : "<missing>";
}

std::string ControlText(uint16_t dialog, uint16_t control) {
    const char* t = BuiltinControlTextOf(dialog, control);
    return t ? t : "<missing>";
}

TEST(StringTable, BothTablesAreSortedWithUniqueKeysAndEveryEntryIsFound) {
    const auto& texts = BuiltinTexts();
    ASSERT_FALSE(texts.empty());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ASSERT_NE(texts[i].text, nullptr) << "id " << texts[i].id;
        if (i > 0) {
            EXPECT_LT(texts[i - 1].id, texts[i].id) << "at index " << i;
        }
        EXPECT_EQ(BuiltinTextById(texts[i].id), texts[i].text);
    }

    const auto& controls = BuiltinControlTexts();
    ASSERT_FALSE(controls.empty());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const auto& c = controls[i];
        ASSERT_NE(c.text, nullptr);
        EXPECT_GT(std::strlen(c.text), 0u) << c.dialogId << "/" << c.controlId;
        if (i > 0) {
            const auto& p = controls[i - 1];
            EXPECT_TRUE(p.dialogId < c.dialogId || (p.dialogId == c.dialogId && p.controlId < c.controlId))
                << "at " << c.dialogId << "/" << c.controlId;
        }
        EXPECT_EQ(BuiltinControlTextOf(c.dialogId, c.controlId), c.text);
    }
}

TEST(StringTable, MissingEntriesGiveNull) {
    EXPECT_EQ(BuiltinTextById(1), nullptr);
    EXPECT_EQ(BuiltinTextById(999), nullptr);
    EXPECT_EQ(BuiltinTextById(txt::TypeNameBase + 9), nullptr);  // no type code 9
    EXPECT_EQ(BuiltinTextById(65535), nullptr);
    EXPECT_EQ(BuiltinControlTextOf(5, 9999), nullptr);
    EXPECT_EQ(BuiltinControlTextOf(4, 0), nullptr);
    EXPECT_EQ(BuiltinControlTextOf(65535, 65535), nullptr);
    // The empty text exists and is empty, so the report's blank status column needs no special case.
    ASSERT_NE(BuiltinTextById(txt::Empty), nullptr);
    EXPECT_STREQ(BuiltinTextById(txt::Empty), "");
}

TEST(StringTable, TypeNamesForEveryTypeCode) {
    const std::vector<std::string> names = {"Yearly Schedule",  "QEB On",         "Alarm limit Off.",
                                            "Day/Night Contr.", "Peak Shaving",   "Alarm Limit Dir.",
                                            "Day/Night ext.",   "Central Defrost", "Po Optimizer"};
    for (uint16_t code = 0; code < names.size(); ++code) {
        EXPECT_EQ(Text(txt::TypeNameBase + code), names[code]) << "type " << code;
        // A type name fits the 17-byte name buffer of the catalogue.
        EXPECT_LE(names[code].size(), 16u);
    }
    EXPECT_EQ(Text(txt::UnknownType), "<<unknown type>>");
}

TEST(StringTable, TextsKeepTheirSpellingBlanksAndBytes) {
    EXPECT_EQ(Text(txt::IsCreated), "is created");
    EXPECT_EQ(Text(txt::AreStarted), "is/are started");
    EXPECT_EQ(Text(txt::AreStopped), "is/are stopped");
    EXPECT_EQ(Text(txt::AreDeleted), "is/are deleted");
    EXPECT_EQ(Text(txt::AreChanged), "is/are changed");
    EXPECT_EQ(Text(txt::LogLabelInput), "Input:");
    EXPECT_EQ(Text(txt::LogLabelOutput), "Output:");
    EXPECT_EQ(Text(txt::LogLabelSchedule), "Schedule:");
    EXPECT_EQ(Text(txt::NetConfigNotUpToDate), "QOR Net config. not up to date");

    EXPECT_EQ(Text(txt::MaxAllowedNumber), "Max allowed number  are");
    EXPECT_EQ(Text(txt::CheckingConsistency), "Checking consistensy");
    EXPECT_EQ(Text(txt::DayNumberExceeded), "Day number for this month has been exeeded.");
    EXPECT_EQ(Text(txt::PeriodOverlaps), "Time period overlaps with the exsiting period:");
    EXPECT_EQ(Text(txt::AutomaticallyInserted), "Some of the selected QEB  references are automatically inserted.");
    EXPECT_EQ(Text(txt::OffAfterOn), "'Off' time must be greater or equal than On' time.");
    EXPECT_EQ(Text(txt::MonthOctober), "Okt.");
    EXPECT_EQ(Text(txt::UnableToCreate), "Unable to create ");
    EXPECT_EQ(Text(txt::WizardHelpSignChanges),
              "When parameters for an QEB has been defined, the \"-\" sign changes to \"+\".");

    // Escapes are real characters; texts are UTF-8.
    EXPECT_EQ(Text(txt::AllocatingRamError), "Error detected while allocating RAM\n");
    EXPECT_EQ(Text(txt::UnitCelsius), "\xC2\xB0"
                                      "C");

    EXPECT_EQ(ControlText(dlg::ManualDayNight, 0), "Set Manual Mode ");
    EXPECT_EQ(ControlText(dlg::ManualOnOff, 0), "Set Manual Mode");
    EXPECT_EQ(ControlText(dlg::CentralDefrost, 35), "Defrost Start ");
    EXPECT_EQ(ControlText(dlg::CentralDefrost, 36), "External Defost Start");
    EXPECT_EQ(ControlText(dlg::CentralDefrost, 101), "Manuel mode");
}

TEST(StringTable, OnlyTheFormatMessagesCarryConversions) {
    // Texts are often passed as arguments of a format; a stray '%' in one that is used as a format
    // would read arguments that are not there.
    const std::set<uint16_t> formats = {txt::ErrorOpeningDatabase, txt::TypeNotImplemented, txt::NumberOutOfRange,
                                        txt::WholeNumberOutOfRange, txt::HoursInPercent};
    for (const auto& t : BuiltinTexts()) {
        EXPECT_EQ(std::strchr(t.text, '%') != nullptr, formats.count(t.id) == 1) << "id " << t.id;
    }
    EXPECT_EQ(Text(txt::ErrorOpeningDatabase), "Error opening database %s. RC = %d");
    EXPECT_EQ(Text(txt::TypeNotImplemented), "Selected MCF type no. %d not implemented yet!");
    EXPECT_EQ(Text(txt::NumberOutOfRange), "Please enter a number from %s to %s.");
}

TEST(StringTable, GraphRowLabelsRunJanuaryToCurrentMonth) {
    const std::vector<std::string> rows = {"Jan.", "Feb.", "Mar.", "Apr.", "May",  "Jun.",      "Jul.",
                                           "Aug.", "Sep.", "Okt.", "Nov.", "Dec.", "Cur. month"};
    for (uint16_t i = 0; i < rows.size(); ++i) EXPECT_EQ(Text(txt::MonthJanuary + i), rows[i]) << "row " << i + 1;
}

TEST(StringTable, WizardHelpStaticsAreTheirTextsJoinedByBlanks) {
    EXPECT_EQ(ControlText(dlg::WizardSelectQeb, 4), Text(txt::WizardHelpNoParameters) + " " +
                                                        Text(txt::WizardHelpSelectQeb) + " " +
                                                        Text(txt::WizardHelpSignChanges));
    EXPECT_EQ(ControlText(dlg::WizardSelectType, 4),
              Text(txt::WizardHelpAffectAll) + " " + Text(txt::WizardHelpShownType));
    EXPECT_EQ(ControlText(dlg::WizardDefineParameters, 4), Text(txt::WizardHelpSelectFunction) + " " +
                                                               Text(txt::WizardHelpFunctionLocated) + " " +
                                                               Text(txt::WizardHelpAddParameter));
}

TEST(StringTable, ControlTextsAreKeptPerDialog) {
    // The same control id heads different items in different dialogs.
    EXPECT_EQ(ControlText(dlg::AlarmLimit, 36), "Indoor Temp");
    EXPECT_EQ(ControlText(dlg::ControllerOn, 36), "Compressor Controller");
    EXPECT_EQ(ControlText(dlg::DayNight, 36), "Schedule");
    EXPECT_EQ(ControlText(dlg::CentralDefrost, 36), "External Defost Start");
    EXPECT_EQ(ControlText(dlg::AlarmLimit, 101), "Manual mode");
    EXPECT_EQ(ControlText(dlg::PoAdvanced, 1134), "Alarm enable");
    EXPECT_EQ(ControlText(dlg::PoOptimizer, 1134), "Po Offset disable");
    EXPECT_EQ(ControlText(dlg::YearlySchedule, 2009), "On");
    EXPECT_EQ(ControlText(dlg::DefrostSchedules, 2009), "Schedule 1");
}

TEST(StringTable, EveryControlTheReportReadsHasItsText) {
    const std::vector<std::pair<uint16_t, uint16_t>> read = {
        // Overview.
        {3, 302}, {3, 304},
        // Item captions of the print item table.
        {30, 101}, {14, 101}, {14, 36}, {14, 35}, {5, 101}, {5, 36}, {5, 37}, {5, 35}, {17, 101}, {17, 36},
        {17, 37}, {17, 35}, {30, 36}, {30, 38}, {30, 35}, {30, 37}, {158, 166}, {158, 1149}, {158, 1150},
        // Settings lines.
        {5, 107}, {5, 23}, {5, 111}, {15, 2000}, {15, 2009}, {15, 2010}, {15, 2017}, {30, 17}, {31, 2009},
        {31, 2010}, {31, 2011}, {158, 1151}, {158, 1153}, {158, 1134}, {166, 1134}, {166, 1158}, {166, 1154},
        {166, 1155}, {166, 1156}, {166, 1157}, {166, 1170}, {166, 1171}};
    for (const auto& [dialog, control] : read) {
        EXPECT_NE(BuiltinControlTextOf(dialog, control), nullptr) << dialog << "/" << control;
    }
    const std::vector<std::string> days = {"Mon", "Tue", "Wed", "Thur", "Fri", "Sat", "Sun"};
    for (uint16_t d = 0; d < 7; ++d) {
        EXPECT_EQ(ControlText(dlg::YearlySchedule, 2001 + d), days[d]);
        EXPECT_EQ(ControlText(dlg::DefrostSchedules, 2101 + d), days[d]);
    }
    EXPECT_EQ(ControlText(dlg::FunctionList, 302), "Network");
    EXPECT_EQ(ControlText(dlg::FunctionList, 304), "Used space:");
}

TEST(StringTable, EveryDialogHasItsTexts) {
    const std::vector<uint16_t> dialogs = {3,   5,   6,   7,   8,   9,   11,  12,  13,  14,  15,  16,
                                           17,  19,  20,  30,  31,  146, 156, 158, 159, 160, 162, 163,
                                           166, 168, 200, 201, 202, 203, 204, 205, 206, 208, 209};
    std::set<uint16_t> present;
    for (const auto& c : BuiltinControlTexts()) present.insert(c.dialogId);
    for (uint16_t d : dialogs) EXPECT_EQ(present.count(d), 1u) << "dialog " << d;
    EXPECT_EQ(present.size(), dialogs.size());
}

}  // namespace
