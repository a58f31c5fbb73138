// The yearly schedule editor end to end: the real dialog offscreen, the demo
// gateway 001 uploaded from a real qelnetd, every update sent to it.

#include "editors/EditorFixture.h"

#include "editors/schedule/DayNiDlg.h"
#include "editors/schedule/HolidayImportDlg.h"
#include "editors/schedule/ScheduleWeekView.h"
#include "editors/schedule/ForcedPeriods.h"
#include "editors/schedule/YeSchDlg.h"
#include "gateway/BackupFile.h"
#include "list/FunctionListCtrl.h"
#include "list/MCFODlg.h"
#include "list/ProgramOperations.h"
#include "model/FunctionSettings.h"
#include "protocol/CalendarSeconds.h"
#include "protocol/LittleEndian.h"
#include "protocol/Telegram.h"
#include "support/CEditCtrlEx.h"
#include "support/Clock.h"
#include "support/RegularFile.h"
#include "SampleCalendar.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>

namespace {

constexpr uint8_t ShopHours = 1;     // 25 special periods
constexpr uint8_t NightTariff = 2;   // no special periods

class YearlyScheduleTest : public EditorFixture {
protected:
    static CEditCtrlEx* edit(QDialog& d, const char* name) { return child<CEditCtrlEx>(d, name); }
    static QListWidget* periodList(QDialog& d) { return child<QListWidget>(d, "periodList"); }

    // Types a special period into the From/To fields; a year of 0 leaves
    // both years empty (a yearly event).
    static void typePeriod(QDialog& d, CalendarTime from, CalendarTime to, const char* state = "On")
    {
        const auto put = [&d](const char* side, const CalendarTime& t, bool yearly) {
            const std::string s = side;
            edit(d, (s + "YearEdit").c_str())->setText(yearly ? QString() : QString::number(t.year));
            edit(d, (s + "MonthEdit").c_str())->setText(QString::number(t.month));
            edit(d, (s + "DayEdit").c_str())->setText(QString::number(t.day));
            edit(d, (s + "HourEdit").c_str())->setText(QString::number(t.hour));
            edit(d, (s + "MinuteEdit").c_str())->setText(QString::number(t.minute));
        };
        const bool yearly = from.year == 0;
        auto* yearlyBox = child<QCheckBox>(d, "yearlyCheck");
        if (yearlyBox->isChecked() != yearly)
            yearlyBox->click();
        put("from", from, yearly);
        put("to", to, yearly);
        child<QComboBox>(d, "forcedCombo")->setCurrentText(state);
    }
    static void addPeriod(QDialog& d, CalendarTime from, CalendarTime to, const char* state = "On")
    {
        typePeriod(d, from, to, state);
        button(d, "addButton")->click();
    }
    static QStringList lines(QDialog& d)
    {
        QStringList all;
        for (int i = 0; i < periodList(d)->count(); ++i)
            all << periodList(d)->item(i)->text();
        return all;
    }

    // The period records of a function as stored, in order.
    static std::vector<McdefRecord> periodRecords(uint8_t number)
    {
        std::vector<McdefRecord> records;
        EXPECT_EQ(ReadBlocks(number, BlockType::Data, 4, records), DbStatus::Success);
        return records;
    }
    static std::vector<int> entryCounts(const std::vector<McdefRecord>& records)
    {
        std::vector<int> counts;
        for (const McdefRecord& r : records)
            counts.push_back(r[6]);
        return counts;
    }

    // The commands the last update sent.
    std::set<int> commandsSince(size_t before) const
    {
        const std::vector<int> all = sentCommands();
        return std::set<int>(all.begin() + std::ptrdiff_t(before), all.end());
    }

    // Opens function 2's editor, lets `steps` work in it and presses OK.
    std::optional<EditorResult> editNightTariff(const std::function<void(YeSchDlg&)>& steps)
    {
        YeSchDlg editor(request(FunctionType::YearlySchedule, NightTariff));
        return run(editor, [&] {
            steps(editor);
            button(editor, "okButton")->click();
        });
    }
};

TEST_F(YearlyScheduleTest, ANewScheduleFromTheSelectionIsSavedStartedSentAndListed)
{
    start();
    stopFunction(4);
    MCFODlg list("001:125", "GW Market North", true, ProgramListOperations());
    std::vector<McdefRecord> headers;
    ASSERT_EQ(ReadHeaders(headers), DbStatus::Success);
    std::vector<uint8_t> used;
    for (const McdefRecord& h : headers)
        used.push_back(h.number());
    const uint8_t created = LowestFreeNumber(used);

    m_script.expectDialog("DayNiDlg", [&](QDialog& dayNight) {
        const std::optional<EditorResult> result = run(dayNight, [&] {
            button(dayNight, "scheduleButton")->click();
            button(dayNight, "cancelButton")->click();
        });
        return int(result.value_or(EditorResult::DatabaseFailure));
    });
    m_script.expectDialog("SelSchDlg", [&](QDialog& d) {
        auto& selection = static_cast<SelSchDlg&>(d);
        button(d, "newButton")->click();
        const int line = selection.candidates().lineOf(created);
        EXPECT_GE(line, 0) << "the new schedule is offered";
        if (line >= 0) {
            EXPECT_FALSE(selection.candidates().item(line)->isSelected()) << "but not chosen";
        }
        button(d, "cancelButton")->click();
        return d.result();
    });
    m_script.expectDialog("YeSchDlg", [&](QDialog& editor) {
        // Untouched: OK saves it all the same.
        return int(run(editor, [&] {
                       EXPECT_EQ(child<QLabel>(editor, "numberLabel")->text(), QString::number(created));
                       button(editor, "okButton")->click();
                   }).value_or(EditorResult::DatabaseFailure));
    });
    expectUpdate();
    list.list().setRowSelected(list.list().rowOf(4), true);
    button(list, "editButton")->click();

    EXPECT_GE(list.list().rowOf(created), 0) << "the function list shows the new schedule";
    McdefRecord header, block2, block3;
    ASSERT_EQ(ReadBlock(created, BlockType::Header, 0, 0, header), DbStatus::Success);
    EXPECT_EQ(header.type(), FunctionType::YearlySchedule);
    EXPECT_EQ(header.name(), "Yearly Schedule");
    EXPECT_TRUE(header.flags() & FunctionFlag::Started) << "a yearly schedule is always saved started";
    ASSERT_EQ(ReadBlock(created, BlockType::Data, 2, 0, block2), DbStatus::Success);
    ASSERT_EQ(ReadBlock(created, BlockType::Data, 3, 0, block3), DbStatus::Success);
    EXPECT_EQ(block3, McdefRecord(created, BlockType::Data, 3, 0));
    EXPECT_TRUE(periodRecords(created).empty());

    const GatewayState gateway = readImage("001");
    ASSERT_TRUE(gateway.functions.count(created)) << "sent to the gateway";
    EXPECT_EQ(gateway.functions.at(created).type, FunctionType::YearlySchedule);
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, "001:125 GW Market North\nYearly Schedule is created");
}

TEST_F(YearlyScheduleTest, AnUntouchedNewScheduleClosesOnCancelEscapeAndTheCloseBoxWithoutAQuestion)
{
    start();
    const auto before = TestHome::records(table::Mcdef);
    const auto& ways = leavingWays("cancelButton");
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        YeSchDlg editor(request(FunctionType::YearlySchedule, NewNumber));
        EXPECT_EQ(run(editor, [&] { close(editor); }), EditorResult::Cancel);
    }
    EXPECT_EQ(TestHome::records(table::Mcdef), before);
    EXPECT_TRUE(m_script.prompts().empty());
}

TEST_F(YearlyScheduleTest, TabGoesThroughTheFormTopToBottomLeftToRight)
{
    start();
    YeSchDlg editor(request(FunctionType::YearlySchedule, NewNumber));
    std::vector<QString> visited;
    run(editor, [&] {
        QApplication::setActiveWindow(&editor);
        editor.findChild<QWidget*>("nameEdit")->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 140 && QApplication::focusWidget(); ++i) {
            visited.push_back(QApplication::focusWidget()->objectName());
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QApplication::sendEvent(QApplication::focusWidget(), &tab);
            if (QApplication::focusWidget()->objectName() == "nameEdit")
                break;
        }
    });
    std::vector<QString> expected = {"nameEdit", "okButton", "cancelButton"};
    for (int day = 0; day < 7; ++day)
        for (int period = 0; period < 4; ++period)
            for (int field = 0; field < 4; ++field)
                expected.push_back(QStringLiteral("basic_%1_%2_%3").arg(day).arg(period).arg(field));
    for (const char* name : {"fromYearEdit", "fromMonthEdit", "fromDayEdit", "fromHourEdit", "fromMinuteEdit",
                             "toYearEdit", "toMonthEdit", "toDayEdit", "toHourEdit", "toMinuteEdit", "forcedCombo",
                             "yearlyCheck", "addButton", "importButton", "periodList", "previousWeekButton",
                             "nextWeekButton"})
        expected.push_back(name);
    EXPECT_EQ(visited, expected) << "the list of special periods, right of their fields, then the week below";
}

TEST_F(YearlyScheduleTest, ForcedPeriodsAreCheckedAndAPeriodsOnlyChangeSendsOnlyTheDataBlocks)
{
    start();
    const std::string overlap
        = "Time period overlaps with the exsiting period: '2005.12.30 00:00 -> 2006.01.05 23:59 - On'.";
    m_script.expectMessage("Day number for this month has been exeeded.");
    m_script.expectMessage(QString::fromStdString(overlap));
    m_script.expectMessage(QString::fromStdString(overlap));
    m_script.expectMessage("Both Year fields must be blank to indicate a yearly event.");
    expectUpdate();
    const size_t before = sentCommands().size();
    const std::optional<EditorResult> result = editNightTariff([&](YeSchDlg& editor) {
        addPeriod(editor, {0, 12, 24, 0, 0}, {0, 12, 26, 23, 59}, "Off");
        EXPECT_EQ(lines(editor), QStringList{"0000.12.24\t00:00\t->\t0000.12.26\t23:59\t-\tOff"});

        addPeriod(editor, {0, 2, 29, 0, 0}, {0, 2, 29, 23, 59});
        EXPECT_EQ(editor.focusWidget(), edit(editor, "fromMonthEdit"));
        EXPECT_EQ(edit(editor, "fromDayEdit")->text(), "29") << "the typed values stay";

        addPeriod(editor, {2005, 12, 30, 0, 0}, {2006, 1, 5, 23, 59});
        addPeriod(editor, {0, 1, 1, 0, 0}, {0, 1, 3, 23, 59});
        addPeriod(editor, {2005, 12, 27, 0, 0}, {2006, 2, 1, 0, 0});
        EXPECT_EQ(editor.focusWidget(), edit(editor, "fromYearEdit"));
        typePeriod(editor, {2007, 3, 1, 0, 0}, {2007, 3, 2, 0, 0});
        edit(editor, "toYearEdit")->clear();
        button(editor, "addButton")->click();
        EXPECT_EQ(m_script.prompts().size(), 4u);
        EXPECT_EQ(m_script.prompts()[0].style, MB::Ok | MB::IconStop);
        EXPECT_EQ(m_script.prompts()[1].style, MB::Ok | MB::IconExclamation);
        EXPECT_EQ(lines(editor).size(), 2);
        EXPECT_TRUE(editor.isVisible());
    });
    ASSERT_EQ(result, EditorResult::Ok);
    EXPECT_EQ(commandsSince(before), (std::set<int>{Command::WriteDataBlock})) << "the data blocks only";

    const std::vector<McdefRecord> records = periodRecords(NightTariff);
    ASSERT_EQ(records.size(), 1u);
    const std::vector<ForcedPeriod> stored = UnpackPeriods(records);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0], (ForcedPeriod{*ToCalendarSeconds({1970, 12, 24, 0, 0, 0}),
                                        *ToCalendarSeconds({1970, 12, 26, 23, 59, 0}), PeriodState::Off}))
        << "a yearly event is kept in 1970; the list order is the text order";
    EXPECT_EQ(stored[1].from, 1135900800u);
    EXPECT_EQ(readImage("001").functions.at(NightTariff).blocks[3].entries.size(), 2u);
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, "001:125 GW Market North\nNight tariff\n'Force schedule to' is changed");
}

TEST_F(YearlyScheduleTest, DeletedPeriodsLeaveDeletedEntriesUntilTheNextSaveAfterAReload)
{
    start();
    expectUpdate();
    ASSERT_EQ(editNightTariff([&](YeSchDlg& editor) {
                  for (int day = 1; day <= 5; ++day)
                      addPeriod(editor, {2030, 1, day, 8, 0}, {2030, 1, day, 18, 0});
              }),
              EditorResult::Ok);
    ASSERT_EQ(entryCounts(periodRecords(NightTariff)), std::vector<int>{5});

    expectUpdate();
    ASSERT_EQ(editNightTariff([&](YeSchDlg& editor) {
                  ASSERT_EQ(lines(editor).size(), 5);
                  for (const int line : {3, 1}) {
                      periodList(editor)->setCurrentRow(line);
                      EXPECT_EQ(edit(editor, "fromDayEdit")->text(), QString::asprintf("%02d", line + 1));
                      EXPECT_TRUE(button(editor, "deleteButton")->isEnabled());
                      button(editor, "deleteButton")->click();
                      EXPECT_FALSE(button(editor, "deleteButton")->isEnabled());
                      EXPECT_FALSE(button(editor, "changeButton")->isEnabled());
                  }
              }),
              EditorResult::Ok);
    std::vector<McdefRecord> records = periodRecords(NightTariff);
    ASSERT_EQ(entryCounts(records), std::vector<int>{5}) << "three periods and two deleted entries";
    EXPECT_EQ(records[0][7 + 3 * 10 + 1], PeriodState::Deleted);
    EXPECT_EQ(records[0][7 + 4 * 10 + 1], PeriodState::Deleted);
    const std::vector<ForcedPeriod> kept = UnpackPeriods(records);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(FromCalendarSeconds(kept[1].from).day, 3);

    // Reloaded, a change of the basic schedule writes the three alone.
    expectUpdate();
    ASSERT_EQ(editNightTariff([&](YeSchDlg& editor) {
                  EXPECT_EQ(lines(editor).size(), 3);
                  CEditCtrlEx* sundayOffMinutes = editor.basicEdit(6, 1, BasicPeriodField::OffMinutes);
                  sundayOffMinutes->setText("58");
                  sundayOffMinutes->setModified(true);
              }),
              EditorResult::Ok);
    EXPECT_EQ(entryCounts(periodRecords(NightTariff)), std::vector<int>{3});
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].text, "001:125 GW Market North\nNight tariff\n'Basic schedule' is changed");
}

TEST_F(YearlyScheduleTest, BasicPeriodsMustBeWholeAndEndAfterTheyStart)
{
    start();
    m_script.expectMessage("'Off' time must be greater or equal than On' time.");
    m_script.expectMessage("Please fill in a value.");
    expectUpdate();
    const std::optional<EditorResult> result = editNightTariff([&](YeSchDlg& editor) {
        const auto type = [&](size_t day, size_t period, std::array<const char*, 4> texts) {
            for (size_t f = 0; f < 4; ++f) {
                CEditCtrlEx* e = editor.basicEdit(day, period, BasicPeriodField(f));
                e->setText(texts[f]);
                e->setModified(true);
            }
        };
        type(0, 2, {"08", "00", "06", "00"});
        button(editor, "okButton")->click();
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(editor.focusWidget(), editor.basicEdit(0, 2, BasicPeriodField::OffHours));
        EXPECT_EQ(editor.basicEdit(0, 2, BasicPeriodField::OffHours)->selectedText(), "06");

        type(0, 2, {"08", "", "17", "30"});
        button(editor, "okButton")->click();
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(editor.focusWidget(), editor.basicEdit(0, 2, BasicPeriodField::OnMinutes));

        type(0, 2, {"00", "00", "00", "00"});
    });
    ASSERT_EQ(result, EditorResult::Ok);
    McdefRecord block3;
    ASSERT_EQ(ReadBlock(NightTariff, BlockType::Data, 3, 0, block3), DbStatus::Success);
    EXPECT_EQ(le::u32(block3.data() + 6 + 1 * 4), 0u) << "00:00 to 00:00 is an empty period";
    EXPECT_TRUE(readImage("001").functions.at(NightTariff).flags & FunctionFlag::Started);
}

// Hours and minutes outside their range are named with the range by OK and Enter alike, the field at fault
// focused with its text selected, and nothing is stored or sent until every period is in range.
TEST_F(YearlyScheduleTest, ABasicPeriodOutsideTheDayIsRefusedByTheFieldAtFault)
{
    start();
    const size_t sentBefore = sentCommands().size();
    McdefRecord storedBefore;
    ASSERT_EQ(ReadBlock(NightTariff, BlockType::Data, 2, 0, storedBefore), DbStatus::Success);
    const std::optional<EditorResult> result = editNightTariff([&](YeSchDlg& editor) {
        const auto field = [&](BasicPeriodField f) { return editor.basicEdit(0, 0, f); };
        const auto refusedAt = [&](BasicPeriodField f, const char* message, const char* text) {
            EXPECT_EQ(m_script.prompts().back().text.toStdString(), message);
            EXPECT_TRUE(editor.isVisible());
            EXPECT_EQ(editor.focusWidget(), field(f));
            EXPECT_EQ(field(f)->selectedText(), text);
            McdefRecord stored;
            EXPECT_EQ(ReadBlock(NightTariff, BlockType::Data, 2, 0, stored), DbStatus::Success);
            EXPECT_EQ(stored, storedBefore) << "nothing stored";
            EXPECT_EQ(sentCommands().size(), sentBefore) << "nothing sent";
        };
        typeInto(field(BasicPeriodField::OnHours), "5");
        typeInto(field(BasicPeriodField::OnMinutes), "99");
        typeInto(field(BasicPeriodField::OffHours), "34");
        typeInto(field(BasicPeriodField::OffMinutes), "07");

        m_script.expectMessage("Please enter a number from 0 to 59.");
        button(editor, "okButton")->click();
        refusedAt(BasicPeriodField::OnMinutes, "Please enter a number from 0 to 59.", "99");
        m_script.expectMessage("Please enter a number from 0 to 59.");
        pressEnter(field(BasicPeriodField::OnMinutes));
        refusedAt(BasicPeriodField::OnMinutes, "Please enter a number from 0 to 59.", "99");

        typeInto(field(BasicPeriodField::OnMinutes), "30");
        m_script.expectMessage("Please enter a number from 0 to 23.");
        pressEnter(field(BasicPeriodField::OnMinutes));
        refusedAt(BasicPeriodField::OffHours, "Please enter a number from 0 to 23.", "34");

        typeInto(field(BasicPeriodField::OffHours), "17");
        expectUpdate();
    });
    ASSERT_EQ(result, EditorResult::Ok);
    McdefRecord block2;
    ASSERT_EQ(ReadBlock(NightTariff, BlockType::Data, 2, 0, block2), DbStatus::Success);
    EXPECT_EQ(le::i16(block2.data() + 6), 5 * 60 + 30);
    EXPECT_EQ(le::i16(block2.data() + 8), 17 * 60 + 7);
}

// An update that fails locally (here a value out of range that another program stored) closes the yearly
// editor with -2 and writes none of its change lines; only the update's own row says it was not sent.
TEST_F(YearlyScheduleTest, AnUpdateThatFailsLocallyClosesWithoutTheChangeLines)
{
    start();
    McdefRecord block3;
    ASSERT_EQ(ReadBlock(NightTariff, BlockType::Data, 3, 0, block3), DbStatus::Success);
    SetSettingValue(FunctionType::YearlySchedule, "Tuesday period 2 off", block3, 1575);
    SetSettingValue(FunctionType::YearlySchedule, "Tuesday period 2 on", block3, 600);
    ASSERT_EQ(UpdateBlock(block3), DbStatus::Success);
    const size_t sentBefore = sentCommands().size();
    expectUpdate();
    m_script.expectMessage("Not sent to the gateway: a value is outside its range.\n"
                           "function 2 'Night tariff B': Tuesday period 2 off is 26:15, allowed 00:00..23:59");
    EXPECT_EQ(editNightTariff([&](YeSchDlg& editor) { rename(editor, "Night tariff B"); }),
              EditorResult::DatabaseFailure);
    EXPECT_EQ(sentCommands().size(), sentBefore);
    expectOnlyNotSentRow("Night tariff B", "a value is outside its range");
}

TEST_F(YearlyScheduleTest, TheGatewayAndTheBackupHoldAllTwentyFivePeriods)
{
    start();
    stopFunction(ShopHours);
    expectUpdate();
    YeSchDlg editor(request(FunctionType::YearlySchedule, ShopHours));
    const size_t before = sentCommands().size();
    ASSERT_EQ(run(editor, [&] {
                  EXPECT_EQ(lines(editor).size(), 25);
                  EXPECT_EQ(lines(editor).first(), "0000.01.01\t00:00\t->\t0000.01.01\t23:59\t-\tOff");
                  rename(editor, "Shop opening");
                  CEditCtrlEx* saturdayOff = editor.basicEdit(5, 1, BasicPeriodField::OffHours);
                  saturdayOff->setText("19");
                  saturdayOff->setModified(true);
                  button(editor, "okButton")->click();
              }),
              EditorResult::Ok);
    EXPECT_TRUE(commandsSince(before).count(Command::WriteHeader)) << "a new name sends the whole function";
    const GatewayState gateway = readImage("001");
    const GatewayFunction& sent = gateway.functions.at(ShopHours);
    EXPECT_EQ(sent.name, "Shop opening");
    EXPECT_EQ(std::count_if(sent.blocks[3].entries.begin(), sent.blocks[3].entries.end(),
                            [](const auto& entry) { return entry.second[1] != PeriodState::Deleted; }),
              25);
    EXPECT_EQ(entryCounts(periodRecords(ShopHours)), (std::vector<int>{10, 10, 5}));

    MCFODlg list("001:125", "GW Market North", true, ProgramListOperations());
    button(list, "closeButton")->click();
    BackupFile backup;
    ASSERT_EQ(ReadBackupFile(BackupFileName("001:125"), backup), BackupReadResult::Read);
    std::vector<int> periodTelegrams;
    for (const Telegram& t : backup.functionTelegrams(ShopHours)) {
        const std::optional<IdentifiedTelegram> id = IdentifyTelegram(t);
        if (id && id->command == Command::WriteDataBlock && id->offset == 4)
            periodTelegrams.push_back(t[TelegramField::Data + 1]);
    }
    EXPECT_EQ(periodTelegrams, (std::vector<int>{10, 10, 5}));

    // Thirty periods fill the list.
    YeSchDlg full(request(FunctionType::YearlySchedule, ShopHours));
    m_script.expectMessage("The data has been changed. Do you want to save the changes ?", IDNO);
    EXPECT_EQ(run(full, [&] {
                  for (int day = 1; day <= 5; ++day) {
                      EXPECT_TRUE(button(full, "addButton")->isEnabled());
                      addPeriod(full, {2031, 3, day, 0, 0}, {2031, 3, day, 1, 0});
                  }
                  EXPECT_EQ(lines(full).size(), 30);
                  EXPECT_FALSE(button(full, "addButton")->isEnabled());
                  button(full, "cancelButton")->click();
              }),
              EditorResult::Cancel);
}

TEST_F(YearlyScheduleTest, AViewOnlyEditorShowsThePeriodsAndChangesNothing)
{
    start();
    YeSchDlg editor(request(FunctionType::YearlySchedule, ShopHours, true));
    EXPECT_EQ(run(editor, [&] {
                  EXPECT_FALSE(button(editor, "okButton")->isEnabled());
                  EXPECT_FALSE(button(editor, "addButton")->isEnabled());
                  EXPECT_FALSE(editor.basicEdit(0, 0, BasicPeriodField::OnHours)->isEnabled());
                  EXPECT_EQ(editor.basicEdit(0, 0, BasicPeriodField::OnHours)->text(), "07");
                  EXPECT_EQ(editor.basicEdit(5, 1, BasicPeriodField::OffHours)->text(), "20");
                  EXPECT_EQ(editor.basicEdit(6, 0, BasicPeriodField::OnHours)->text(), "") << "Sunday closed";
                  periodList(editor)->setCurrentRow(0);
                  EXPECT_EQ(edit(editor, "fromMonthEdit")->text(), "01");
                  EXPECT_FALSE(edit(editor, "fromMonthEdit")->isEnabled());
                  EXPECT_TRUE(child<QCheckBox>(editor, "yearlyCheck")->isChecked());
                  EXPECT_FALSE(button(editor, "deleteButton")->isEnabled());
                  button(editor, "cancelButton")->click();
              }),
              EditorResult::Cancel);
}



TEST_F(YearlyScheduleTest, ImportListsACalendarsEventsAndAddsTheCheckedOnesThatFitSavedWithOk)
{
    start();
    SetFixedTime(*ParseUtcTime("2026-12-07 12:00:00"));
    const std::string missing = m_home.path() + "none.ics";
    const std::string file = m_home.path() + "holidays.ics";
    std::string problem;
    ASSERT_TRUE(WriteFileReplacing(
        file,
        IcsCalendar(IcsAllDay("Christmas", "20261224", "20261227") + IcsAllDay("Stocktaking", "20270114", "20270116")
            + IcsEvent("Staff meeting", "DTSTART:20270203T073000\r\nDTEND:20270203T090000\r\n")
            + IcsEvent("Founders day", "DTSTART;VALUE=DATE:20200815\r\nRRULE:FREQ=YEARLY\r\n")
            + IcsAllDay("All Saints", "20261101", "20261102") + IcsAllDay("New Year", "20270101", "20270102")
            + IcsAllDay("Closed 10", "20270310", "20270311") + IcsAllDay("Closed 11", "20270311", "20270312")
            + IcsAllDay("Far future", "20400101", "20400102")),
        problem))
        << problem;

    const QString overlap = "Time period overlaps with the exsiting period: '0000.01.01 00:00 -> 0000.01.01 23:59 - Off'.";
    m_script.expectOpenFile(QString::fromStdString(missing));
    m_script.expectMessage(QString::fromStdString("The holiday calendar cannot be read.\n" + missing + " does not exist"));
    const auto& ways = leavingWays("cancelButton");
    for (const auto& [name, leave] : ways) {
        m_script.expectOpenFile(QString::fromStdString(file));
        m_script.expectDialog("HolidayImportDlg", [&leave](QDialog& d) {
            return runDialog(d, [&] { leave(d); }).value_or(-1);
        });
    }
    m_script.expectOpenFile(QString::fromStdString(file));
    m_script.expectDialog("HolidayImportDlg", [&](QDialog& d) {
        QListWidget* events = child<QListWidget>(d, "eventList");
        const auto toggle = [&](int row) {
            events->setCurrentRow(row);
            QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
            QApplication::sendEvent(events, &space);
        };
        const auto checked = [&] {
            std::vector<int> rows;
            for (int row = 0; row < events->count(); ++row)
                if (events->item(row)->checkState() == Qt::Checked)
                    rows.push_back(row);
            return rows;
        };
        return runDialog(d, [&] {
                   ASSERT_EQ(events->count(), 9);
                   EXPECT_EQ(events->item(0)->text(), "2026.12.24 00:00 -> 2026.12.26 23:59 Christmas  (collides with "
                                                      "'0000.12.24 12:00 -> 0000.12.26 23:59 - Off')");
                   EXPECT_EQ(events->item(4)->text(), "2026.11.01 00:00 -> 2026.11.01 23:59 All Saints  (ended before now)");
                   EXPECT_EQ(checked(), (std::vector<int>{1, 2, 3, 6, 7})) << "collisions and the past unchecked";
                   EXPECT_FALSE(events->item(8)->flags() & Qt::ItemIsUserCheckable) << "2040 cannot be held";

                   toggle(5);
                   button(d, "okButton")->click();
                   EXPECT_TRUE(d.isVisible()) << "New Year collides with the listed 1 January";
                   toggle(5);
                   toggle(4);
                   button(d, "okButton")->click();
                   EXPECT_TRUE(d.isVisible()) << "six checked, five fit";
                   toggle(7);
                   child<QComboBox>(d, "forcedCombo")->setCurrentText("On");
                   EXPECT_EQ(checked(), (std::vector<int>{1, 2, 3, 4, 6})) << "the checks stay with another state";
                   button(d, "okButton")->click();
                   EXPECT_FALSE(d.isVisible());
               })
            .value_or(-1);
    });
    m_script.expectMessage(overlap);
    m_script.expectMessage("Special periods that still fit: 5");
    expectUpdate();

    YeSchDlg editor(request(FunctionType::YearlySchedule, ShopHours));
    const std::optional<EditorResult> result = run(editor, [&] {
        auto* picture = child<ScheduleWeekView>(editor, "weekView");
        EXPECT_EQ(PeriodTimeText(picture->monday()), "2026.12.07 00:00");
        EXPECT_EQ(child<QLabel>(editor, "weekLabel")->text(), "Week of 2026.12.07");
        button(editor, "importButton")->click();
        EXPECT_EQ(lines(editor).size(), 25) << "nothing from a file that cannot be read";
        for (size_t way = 0; way < ways.size(); ++way)
            button(editor, "importButton")->click();
        EXPECT_EQ(lines(editor).size(), 25) << "nothing when the list is left by Cancel, Escape or the close box";
        button(editor, "importButton")->click();
        EXPECT_EQ(lines(editor).size(), 30);
        EXPECT_TRUE(lines(editor).contains("0000.08.15\t00:00\t->\t0000.08.15\t23:59\t-\tOn"));
        EXPECT_FALSE(button(editor, "addButton")->isEnabled());
        EXPECT_FALSE(button(editor, "importButton")->isEnabled());

        // The picture shows the week of the stocktaking, forced On, before OK.
        for (int week = 0; week < 5; ++week)
            button(editor, "nextWeekButton")->click();
        EXPECT_EQ(child<QLabel>(editor, "weekLabel")->text(), "Week of 2027.01.11");
        const auto& thursday = picture->days()[3];
        ASSERT_EQ(thursday.size(), 1u);
        EXPECT_EQ(thursday[0].state.cause, ScheduleCause::Special);
        EXPECT_TRUE(thursday[0].state.on);
        EXPECT_EQ(picture->days()[6].size(), 1u) << "Sunday closed";
        typeInto(editor.basicEdit(6, 0, BasicPeriodField::OnHours), "10");
        typeInto(editor.basicEdit(6, 0, BasicPeriodField::OnMinutes), "00");
        typeInto(editor.basicEdit(6, 0, BasicPeriodField::OffHours), "16");
        EXPECT_EQ(picture->days()[6].size(), 1u) << "a period typed in part shows nothing yet";
        typeInto(editor.basicEdit(6, 0, BasicPeriodField::OffMinutes), "30");
        ASSERT_EQ(picture->days()[6].size(), 3u);
        EXPECT_EQ(PeriodTimeText(picture->days()[6][1].start), "2027.01.17 10:00");
        EXPECT_EQ(PeriodTimeText(picture->days()[6][1].end), "2027.01.17 16:30");
        EXPECT_FALSE(picture->grab().isNull());
        button(editor, "okButton")->click();
    });
    SetFixedTime(std::nullopt);
    ASSERT_EQ(result, EditorResult::Ok);
    EXPECT_TRUE(m_script.allAnswered());
    const std::vector<ForcedPeriod> stored = UnpackPeriods(periodRecords(ShopHours));
    ASSERT_EQ(stored.size(), 30u);
    EXPECT_EQ(std::count_if(stored.begin(), stored.end(), [](const ForcedPeriod& p) { return p.state == PeriodState::On; }),
              8 + 5) << "the Sunday openings and the five imported";
    const auto rows = eventRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, "001:125 GW Market North\nShop hours\n'Basic schedule' is changed\n'Force schedule to' is changed");
}

} // namespace
