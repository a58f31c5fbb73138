#include "editors/schedule/YeSchDlg.h"
#include "ui_YeSchDlg.h"

#include "editors/NumberEdits.h"
#include "editors/schedule/HolidayImportDlg.h"
#include "editors/schedule/ScheduleWeekView.h"
#include "gateway/UpdateJob.h"
#include "model/EventLog.h"
#include "model/FunctionSettings.h"
#include "model/Messages.h"
#include "model/StringTable.h"
#include "model/Texts.h"
#include "protocol/CalendarSeconds.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "support/CEditCtrlEx.h"
#include "support/TabStopDelegate.h"
#include "support/UiSeam.h"

namespace {

constexpr int FirstYear = 1997;
constexpr int LastYear = 2038;
constexpr int PeriodFromRole = Qt::UserRole;
constexpr int PeriodToRole = Qt::UserRole + 1;
constexpr int PeriodStateRole = Qt::UserRole + 2;
constexpr uint32_t SecondsPerWeek = 7 * 86400;

} // namespace

YeSchDlg::YeSchDlg(const EditorRequest& request, QWidget* parent)
    : EditorDlg(request, parent)
    , m_ui(new Ui::YeSchDlg)
{
    m_ui->setupUi(this);
    createBasicEdits();
    DialogTexts(this);
    setEditorCaption();
    for (size_t i = 0; i < 5; ++i) {
        static constexpr int ranges[5][2] = {{FirstYear, LastYear}, {1, 12}, {1, 31}, {0, 23}, {0, 59}};
        for (CEditCtrlEx* edit : {fromEdits()[i], toEdits()[i]})
            SetUpNumberEdit(edit, ranges[i][0], ranges[i][1], i == 0 ? 4 : 2);
    }
    m_ui->forcedCombo->addItem(stateText(PeriodState::Off));
    m_ui->forcedCombo->addItem(stateText(PeriodState::On));
    m_ui->forcedCombo->setCurrentIndex(1);
    m_ui->periodList->setItemDelegate(new TabStopDelegate({40, 65, 75, 115, 140, 150}, m_ui->periodList));
    m_ui->periodList->setSortingEnabled(true);

    connect(m_ui->okButton, &QPushButton::clicked, this, &YeSchDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &YeSchDlg::reject);
    connect(m_ui->yearlyCheck, &QCheckBox::clicked, this, &YeSchDlg::setYearly);
    connect(m_ui->periodList, &QListWidget::itemSelectionChanged, this, &YeSchDlg::onPeriodSelected);
    connect(m_ui->addButton, &QPushButton::clicked, this, &YeSchDlg::onAdd);
    connect(m_ui->changeButton, &QPushButton::clicked, this, &YeSchDlg::onChange);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &YeSchDlg::onDelete);
    connect(m_ui->importButton, &QPushButton::clicked, this, &YeSchDlg::onImport);
    connect(m_ui->previousWeekButton, &QPushButton::clicked, this,
            [this] { showWeekOf(m_ui->weekView->monday() - SecondsPerWeek); });
    connect(m_ui->nextWeekButton, &QPushButton::clicked, this,
            [this] { showWeekOf(m_ui->weekView->monday() + SecondsPerWeek); });
    m_ui->weekView->setTexts({m_ui->dayLabel1->text(), m_ui->dayLabel2->text(), m_ui->dayLabel3->text(),
                              m_ui->dayLabel4->text(), m_ui->dayLabel5->text(), m_ui->dayLabel6->text(),
                              m_ui->dayLabel7->text()},
                             {QText(txt::LegendWeeklyOn), QText(txt::LegendForcedOn), QText(txt::LegendForcedOff)});
    showWeekOf(CalendarNow());
}

YeSchDlg::~YeSchDlg() = default;

void YeSchDlg::createBasicEdits()
{
    for (size_t day = 0; day < ScheduleDays; ++day)
        for (size_t period = 0; period < PeriodsPerDay; ++period)
            for (size_t field = 0; field < 4; ++field) {
                auto* edit = new CEditCtrlEx(m_ui->basicGroup);
                edit->setObjectName(QStringLiteral("basic_%1_%2_%3").arg(day).arg(period).arg(field));
                const bool hours = field % 2 == 0;
                SetUpNumberEdit(edit, 0, hours ? 23 : 59, 2);
                m_ui->basicGrid->addWidget(edit, int(day) + 1, int(1 + period * 4 + field));
                m_basicEdits[day][period][field] = edit;
                connect(edit, &QLineEdit::textChanged, this, &YeSchDlg::refreshPicture);
            }
    // Tab follows the form: the head row, the week row by row, then the special periods.
    QWidget* previous = m_ui->cancelButton;
    for (const auto& day : m_basicEdits)
        for (const auto& period : day)
            for (CEditCtrlEx* edit : period) {
                setTabOrder(previous, edit);
                previous = edit;
            }
}

CEditCtrlEx* YeSchDlg::basicEdit(size_t day, size_t period, BasicPeriodField field) const
{
    return m_basicEdits[day][period][size_t(field)];
}

std::array<CEditCtrlEx*, 5> YeSchDlg::fromEdits() const
{
    return {m_ui->fromYearEdit, m_ui->fromMonthEdit, m_ui->fromDayEdit, m_ui->fromHourEdit, m_ui->fromMinuteEdit};
}

std::array<CEditCtrlEx*, 5> YeSchDlg::toEdits() const
{
    return {m_ui->toYearEdit, m_ui->toMonthEdit, m_ui->toDayEdit, m_ui->toHourEdit, m_ui->toMinuteEdit};
}

CEditCtrlEx* YeSchDlg::periodEdit(PeriodField field) const
{
    const size_t index = size_t(field);
    return index < 5 ? fromEdits()[index] : toEdits()[index - 5];
}

QString YeSchDlg::stateText(uint8_t state) const { return QText(state == PeriodState::On ? txt::StateOn : txt::StateOff); }

bool YeSchDlg::load()
{
    m_periodsChanged = false;
    m_updateFailed = false;
    if (!loadHeader(m_ui->numberLabel, m_ui->nameEdit))
        return false;
    if (headerExists()) {
        McdefRecord block2, block3;
        std::vector<McdefRecord> periodRecords;
        if (!readDataBlock(2, block2, false) || !readDataBlock(3, block3, false)
            || !readDataBlockRange(4, periodRecords))
            return false;
        showBasicSchedule(UnpackBasicSchedule(block2, block3));
        for (const ForcedPeriod& period : UnpackPeriods(periodRecords))
            addPeriodLine(period, false);
        m_loadedPeriods = size_t(m_ui->periodList->count());
    }
    updatePeriodButtons();
    refreshPicture();
    if (viewOnly()) {
        disable({m_ui->nameEdit, m_ui->okButton, m_ui->addButton, m_ui->importButton, m_ui->forcedCombo,
                 m_ui->yearlyCheck});
        for (CEditCtrlEx* edit : fromEdits())
            edit->setEnabled(false);
        for (CEditCtrlEx* edit : toEdits())
            edit->setEnabled(false);
        for (auto& day : m_basicEdits)
            for (auto& period : day)
                for (CEditCtrlEx* edit : period)
                    edit->setEnabled(false);
    }
    return true;
}

void YeSchDlg::showBasicSchedule(const BasicSchedule& schedule)
{
    for (size_t day = 0; day < ScheduleDays; ++day)
        for (size_t period = 0; period < PeriodsPerDay; ++period) {
            const BasicPeriod& p = schedule[day][period];
            if (p.on <= 0 && p.off <= 0)
                continue;
            const auto& edits = m_basicEdits[day][period];
            edits[0]->setText(TwoDigits(p.on / 60));
            edits[1]->setText(TwoDigits(p.on % 60));
            edits[2]->setText(TwoDigits(p.off / 60));
            edits[3]->setText(TwoDigits(p.off % 60));
        }
}

bool YeSchDlg::basicScheduleModified() const
{
    for (const auto& day : m_basicEdits)
        for (const auto& period : day)
            for (const CEditCtrlEx* edit : period)
                if (edit->isModified())
                    return true;
    return false;
}

int YeSchDlg::changeCode() const
{
    int change = basicScheduleModified() || m_periodsChanged ? ScheduleOrPeriods : 0;
    if (nameModified())
        change += NameChanged;
    return change;
}

bool YeSchDlg::readBasicSchedule(BasicSchedule& schedule)
{
    for (size_t day = 0; day < ScheduleDays; ++day)
        for (size_t period = 0; period < PeriodsPerDay; ++period) {
            const auto& edits = m_basicEdits[day][period];
            if (!ValidateTypedNumbers({edits[0], edits[1], edits[2], edits[3]}))
                return false;
            BasicPeriodInput input;
            for (size_t field = 0; field < 4; ++field)
                input[field] = TypedNumber(edits[field]);
            const BasicPeriodResult read = BasicPeriodFromInput(input);
            if (!read.period) {
                MessageById(read.messageId, MB::Ok | MB::IconStop, this);
                CEditCtrlEx* edit = edits[size_t(read.focus)];
                edit->setFocus();
                if (read.messageId == txt::OffAfterOn)
                    edit->selectAll();
                return false;
            }
            schedule[day][period] = *read.period;
        }
    return true;
}

SaveOutcome YeSchDlg::save(int change)
{
    if (!validateName())
        return SaveOutcome::KeptOpen;
    const bool writeSchedule = created() || change == ScheduleOrPeriods || change == ScheduleOrPeriods + NameChanged;
    BasicSchedule schedule{};
    if (writeSchedule && !readBasicSchedule(schedule))
        return SaveOutcome::KeptOpen;
    if (!saveHeader(nameText(), FunctionFlag::Started))
        return SaveOutcome::Failed;
    if (!writeSchedule)
        return SaveOutcome::Saved;
    McdefRecord block2, block3;
    if (!readDataBlock(2, block2, true) || !readDataBlock(3, block3, true))
        return SaveOutcome::Failed;
    PackBasicSchedule(schedule, block2, block3);
    if (!writeDataBlock(block2) || !writeDataBlock(block3))
        return SaveOutcome::Failed;
    if (!replaceDataBlockRange(4, PackPeriods(number(), listedPeriods(), m_loadedPeriods)))
        return SaveOutcome::Failed;
    return SaveOutcome::Saved;
}

UpdatePlan YeSchDlg::updatePlan(int change) const
{
    const bool blocksOnly = change == ScheduleOrPeriods && !created();
    return {blocksOnly ? UpdateMode::DataBlocksOnly : UpdateMode::WholeFunction, TypeWritableBlocks(type())};
}

bool YeSchDlg::log(int)
{
    std::vector<std::string> lines = NameChangeLines(loadedName(), savedName());
    if (basicScheduleModified())
        lines.push_back(TextById(txt::BasicScheduleChanged));
    if (m_periodsChanged)
        lines.push_back(TextById(txt::ForceScheduleChanged));
    return writeChangeLog({lines});
}

std::vector<ForcedPeriod> YeSchDlg::listedPeriods() const
{
    std::vector<ForcedPeriod> periods;
    for (int line = 0; line < m_ui->periodList->count(); ++line) {
        const QListWidgetItem* item = m_ui->periodList->item(line);
        periods.push_back({item->data(PeriodFromRole).toUInt(), item->data(PeriodToRole).toUInt(),
                           uint8_t(item->data(PeriodStateRole).toUInt())});
    }
    return periods;
}

void YeSchDlg::addPeriodLine(const ForcedPeriod& period, bool select)
{
    auto* item = new QListWidgetItem(
        QString::fromStdString(PeriodLine(period, stateText(period.state).toStdString(), '\t')));
    item->setData(PeriodFromRole, period.from);
    item->setData(PeriodToRole, period.to);
    item->setData(PeriodStateRole, period.state);
    m_ui->periodList->addItem(item);
    if (select)
        m_ui->periodList->setCurrentItem(item);
}

void YeSchDlg::setYearly(bool yearly)
{
    for (CEditCtrlEx* edit : {m_ui->fromYearEdit, m_ui->toYearEdit}) {
        if (yearly)
            edit->clear();
        edit->setEnabled(!yearly);
    }
}

void YeSchDlg::updatePeriodButtons()
{
    const bool selected = !m_ui->periodList->selectedItems().isEmpty();
    m_ui->changeButton->setEnabled(selected && !viewOnly());
    m_ui->deleteButton->setEnabled(selected && !viewOnly());
    m_ui->addButton->setEnabled(size_t(m_ui->periodList->count()) < MaxForcedPeriods && !viewOnly());
    m_ui->importButton->setEnabled(m_ui->addButton->isEnabled());
}

void YeSchDlg::onPeriodSelected()
{
    const QList<QListWidgetItem*> selected = m_ui->periodList->selectedItems();
    updatePeriodButtons();
    if (selected.isEmpty())
        return;
    const QListWidgetItem* item = selected.first();
    const ForcedPeriod period{item->data(PeriodFromRole).toUInt(), item->data(PeriodToRole).toUInt(),
                               uint8_t(item->data(PeriodStateRole).toUInt())};
    const bool yearly = period.yearly();
    for (const auto& [seconds, edits] : {std::pair{period.from, fromEdits()}, std::pair{period.to, toEdits()}}) {
        const CalendarTime time = FromCalendarSeconds(seconds);
        edits[0]->setText(yearly ? QString() : QString::number(time.year));
        edits[1]->setText(TwoDigits(time.month));
        edits[2]->setText(TwoDigits(time.day));
        edits[3]->setText(TwoDigits(time.hour));
        edits[4]->setText(TwoDigits(time.minute));
    }
    m_ui->yearlyCheck->setChecked(yearly);
    if (!viewOnly())
        setYearly(yearly);
    m_ui->forcedCombo->setCurrentText(stateText(period.state));
}

std::optional<ForcedPeriod> YeSchDlg::enteredPeriod(int replacing)
{
    PeriodInput input;
    for (size_t i = 0; i < 5; ++i) {
        input.from[i] = TypedNumber(fromEdits()[i]);
        input.to[i] = TypedNumber(toEdits()[i]);
    }
    const uint8_t state = m_ui->forcedCombo->currentText() == stateText(PeriodState::On) ? PeriodState::On
                                                                                         : PeriodState::Off;
    const PeriodInputResult result = PeriodFromInput(input, state);
    const bool fieldsMissing = result.messageId == txt::YearFieldsBlank || result.messageId == txt::FillInNumber;
    if (!fieldsMissing) {
        // A number outside its field's range is the numeric edit's to tell.
        const auto from = fromEdits();
        const auto to = toEdits();
        if (!ValidateTypedNumbers({from[0], from[1], from[2], from[3], from[4], to[0], to[1], to[2], to[3], to[4]}))
            return std::nullopt;
    }
    if (!result.period) {
        MessageById(result.messageId, MB::Ok | MB::IconStop, this);
        periodEdit(result.focus)->setFocus();
        return std::nullopt;
    }
    const std::vector<ForcedPeriod> listed = listedPeriods();
    const std::optional<size_t> skip = replacing >= 0 ? std::optional<size_t>(size_t(replacing)) : std::nullopt;
    if (const std::optional<size_t> collision = FindCollision(*result.period, listed, skip)) {
        const ForcedPeriod& other = listed[*collision];
        const std::string text = StrFormat("%s '%s'.", TextById(txt::PeriodOverlaps).c_str(),
                                           PeriodLine(other, stateText(other.state).toStdString(), ' ').c_str());
        ShowMessage(QString::fromStdString(text), MB::Ok | MB::IconExclamation, this, true);
        m_ui->fromYearEdit->setFocus();
        return std::nullopt;
    }
    return result.period;
}

void YeSchDlg::onAdd()
{
    if (size_t(m_ui->periodList->count()) >= MaxForcedPeriods)
        return;
    const std::optional<ForcedPeriod> period = enteredPeriod(-1);
    if (!period)
        return;
    addPeriodLine(*period, false);
    m_periodsChanged = true;
    updatePeriodButtons();
    refreshPicture();
}

void YeSchDlg::onChange()
{
    QListWidgetItem* current = m_ui->periodList->currentItem();
    if (!current || !current->isSelected())
        return;
    const std::optional<ForcedPeriod> period = enteredPeriod(m_ui->periodList->row(current));
    if (!period)
        return;
    delete m_ui->periodList->takeItem(m_ui->periodList->row(current));
    addPeriodLine(*period, true);
    m_periodsChanged = true;
    updatePeriodButtons();
    refreshPicture();
}

void YeSchDlg::onDelete()
{
    QListWidgetItem* current = m_ui->periodList->currentItem();
    if (!current || !current->isSelected())
        return;
    delete m_ui->periodList->takeItem(m_ui->periodList->row(current));
    m_ui->periodList->clearSelection();
    m_periodsChanged = true;
    updatePeriodButtons();
    refreshPicture();
}

void YeSchDlg::onImport()
{
    const std::optional<QString> file = ui().openFileName(
        this, {QControlText(dlg::HolidayImport, 0), QString(), QText(txt::HolidayCalendarFiles) + " (*.ics)"});
    if (!file)
        return;
    std::string problem;
    const uint32_t now = CalendarNow();
    const std::optional<std::vector<HolidayEvent>> events = ReadHolidayCalendar(file->toStdString(), now, problem);
    if (!events) {
        ShowMessage(QText(txt::HolidayCalendarNotRead) + "\n" + QString::fromStdString(problem),
                    MB::Ok | MB::IconStop, this, true);
        return;
    }
    HolidayImportDlg import(*events, listedPeriods(), now, this);
    if (ui().runModal(import) != QDialog::Accepted || import.chosen().empty())
        return;
    for (const ForcedPeriod& period : import.chosen())
        addPeriodLine(period, false);
    m_periodsChanged = true;
    updatePeriodButtons();
    refreshPicture();
}

ScheduleDefinition YeSchDlg::typedSchedule() const
{
    ScheduleDefinition schedule;
    for (size_t day = 0; day < ScheduleDays; ++day)
        for (size_t period = 0; period < PeriodsPerDay; ++period) {
            BasicPeriodInput input;
            for (size_t field = 0; field < 4; ++field)
                input[field] = TypedNumber(m_basicEdits[day][period][field]);
            schedule.basic[day][period] = BasicPeriodFromInput(input).period.value_or(BasicPeriod{});
        }
    schedule.periods = listedPeriods();
    return schedule;
}

void YeSchDlg::refreshPicture()
{
    // The edits report their first texts while they are made, before the last of them exists.
    if (!m_basicEdits.back().back().back())
        return;
    m_ui->weekView->setSchedule(typedSchedule());
}

void YeSchDlg::showWeekOf(uint32_t day)
{
    m_ui->weekView->showWeekOf(day);
    m_ui->weekLabel->setText(QText(txt::WeekOf) + " "
                             + QString::fromStdString(PeriodTimeText(m_ui->weekView->monday()).substr(0, 10)));
}

EditorResult RunYearlyScheduleEditor(QWidget* parent, const EditorRequest& request)
{
    YeSchDlg editor(request, parent);
    return editor.run();
}
