#include "editors/defrost/DefrostSchedulesDlg.h"
#include "ui_DefrostSchedulesDlg.h"

#include "editors/NumberEdits.h"
#include "model/Messages.h"
#include "model/Texts.h"
#include "support/CEditCtrlEx.h"
#include "support/UiSeam.h"

#include <QGridLayout>
#include <QLabel>

DefrostSchedulesDlg::DefrostSchedulesDlg(const DefrostTimes& defrost, bool newFunction, bool viewOnly,
                                         QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::DefrostSchedulesDlg)
    , m_defrost(defrost)
    , m_newFunction(newFunction)
{
    m_ui->setupUi(this);
    createTimeEdits();
    DialogTexts(this);
    SetUpNumberEdit(m_ui->countEdit, 2, 8, 1);
    for (CEditCtrlEx* hours : {m_ui->firstHoursEdit, m_ui->lastHoursEdit})
        SetUpNumberEdit(hours, 0, 23, 2);
    for (CEditCtrlEx* minutes : {m_ui->firstMinutesEdit, m_ui->lastMinutesEdit})
        SetUpNumberEdit(minutes, 0, 59, 2);

    m_weekdays = {m_ui->mondayCombo, m_ui->tuesdayCombo, m_ui->wednesdayCombo, m_ui->thursdayCombo,
                  m_ui->fridayCombo, m_ui->saturdayCombo, m_ui->sundayCombo};
    for (QComboBox* day : m_weekdays)
        for (const QGroupBox* group : {m_ui->scheduleGroup1, m_ui->scheduleGroup2, m_ui->scheduleGroup3})
            day->addItem(group->title());
    showData();
    for (QComboBox* day : m_weekdays)
        connect(day, &QComboBox::currentIndexChanged, this, [this] { m_weekdayChanged = true; });

    const QPushButton* autoSetButtons[] = {m_ui->autoSetButton1, m_ui->autoSetButton2, m_ui->autoSetButton3};
    for (size_t schedule = 0; schedule < DefrostScheduleCount; ++schedule)
        connect(autoSetButtons[schedule], &QPushButton::clicked, this, [this, schedule] { autoSet(schedule); });
    connect(m_ui->okButton, &QPushButton::clicked, this, &DefrostSchedulesDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &DefrostSchedulesDlg::reject);

    if (viewOnly) {
        // The weekday lists and Auto Set would change the data as the time edits do.
        for (QWidget* control : findChildren<QWidget*>())
            if (qobject_cast<CEditCtrlEx*>(control) || qobject_cast<QComboBox*>(control))
                control->setEnabled(false);
        for (QPushButton* button : {m_ui->okButton, m_ui->autoSetButton1, m_ui->autoSetButton2, m_ui->autoSetButton3})
            button->setEnabled(false);
    }
}

DefrostSchedulesDlg::~DefrostSchedulesDlg() = default;

CEditCtrlEx* DefrostSchedulesDlg::hoursEdit(size_t schedule, size_t row) const
{
    return m_hours[DefrostTimes::index(schedule, row)];
}

CEditCtrlEx* DefrostSchedulesDlg::minutesEdit(size_t schedule, size_t row) const
{
    return m_minutes[DefrostTimes::index(schedule, row)];
}

void DefrostSchedulesDlg::createTimeEdits()
{
    QGridLayout* grids[] = {m_ui->scheduleGrid1, m_ui->scheduleGrid2, m_ui->scheduleGrid3};
    for (size_t schedule = 0; schedule < DefrostScheduleCount; ++schedule)
        for (size_t row = 0; row < DefrostTimesPerSchedule; ++row) {
            const size_t k = DefrostTimes::index(schedule, row);
            m_hours[k] = new CEditCtrlEx(this);
            m_minutes[k] = new CEditCtrlEx(this);
            m_hours[k]->setObjectName(QStringLiteral("hoursEdit%1_%2").arg(schedule + 1).arg(row + 1));
            m_minutes[k]->setObjectName(QStringLiteral("minutesEdit%1_%2").arg(schedule + 1).arg(row + 1));
            SetUpNumberEdit(m_hours[k], 0, 23, 2);
            SetUpNumberEdit(m_minutes[k], 0, 59, 2);
            grids[schedule]->addWidget(m_hours[k], int(row), 0);
            grids[schedule]->addWidget(new QLabel(QStringLiteral(":"), this), int(row), 1);
            grids[schedule]->addWidget(m_minutes[k], int(row), 2);
        }
    for (QGridLayout* grid : grids)
        grid->setColumnStretch(3, 1);
}

void DefrostSchedulesDlg::showData()
{
    for (size_t k = 0; k < m_defrost.times.size(); ++k) {
        const int16_t time = m_defrost.times[k];
        m_hours[k]->setText(time == NoDefrostTime ? QString() : TwoDigits(time / 60));
        m_minutes[k]->setText(time == NoDefrostTime ? QString() : TwoDigits(time % 60));
    }
    for (size_t day = 0; day < DefrostWeekdays; ++day)
        m_weekdays[day]->setCurrentIndex(m_defrost.weekdays[day] == NoDefrostSchedule ? -1 : m_defrost.weekdays[day]);
}

bool DefrostSchedulesDlg::edited() const
{
    if (m_weekdayChanged)
        return true;
    for (size_t k = 0; k < m_hours.size(); ++k)
        if (m_hours[k]->isModified() || m_minutes[k]->isModified())
            return true;
    return false;
}

void DefrostSchedulesDlg::autoSet(size_t schedule)
{
    // "No of Def." must be a count of 2..8 and the times in range; empty time fields count as 0.
    if (!m_ui->countEdit->ValidateData()
        || !ValidateTypedNumbers({m_ui->firstHoursEdit, m_ui->firstMinutesEdit, m_ui->lastHoursEdit,
                                  m_ui->lastMinutesEdit}))
        return;
    const int count = m_ui->countEdit->text().left(1).toInt();
    const int first = m_ui->firstHoursEdit->intValue() * 60 + m_ui->firstMinutesEdit->intValue();
    const int last = m_ui->lastHoursEdit->intValue() * 60 + m_ui->lastMinutesEdit->intValue();
    const auto times = AutoSetTimes(count, first, last);
    for (size_t row = 0; row < DefrostTimesPerSchedule; ++row) {
        CEditCtrlEx* hours = hoursEdit(schedule, row);
        CEditCtrlEx* minutes = minutesEdit(schedule, row);
        hours->setText(times[row] ? TwoDigits(*times[row] / 60) : QString());
        minutes->setText(times[row] ? TwoDigits(*times[row] % 60) : QString());
        hours->setModified(true);
        minutes->setModified(true);
    }
}

void DefrostSchedulesDlg::accept()
{
    const bool changed = edited();
    if (!changed && !m_newFunction) {
        m_changed = false;
        QDialog::accept();
        return;
    }
    DefrostTimes read;
    read.weekdays.fill(NoDefrostSchedule);
    for (size_t k = 0; k < read.times.size(); ++k)
        if (!ValidateTypedNumbers({m_hours[k], m_minutes[k]}))
            return;
    for (size_t k = 0; k < read.times.size(); ++k) {
        const TypedDefrostTime typed = DefrostTimeFromInput(TypedNumber(m_hours[k]), TypedNumber(m_minutes[k]));
        if (typed.missing) {
            (*typed.missing == DefrostTimeField::Hours ? m_hours[k] : m_minutes[k])->setFocus();
            MessageById(txt::FillInValue, MB::Ok | MB::IconStop, this);
            return;
        }
        read.times[k] = typed.time;
    }
    for (size_t day = 0; day < DefrostWeekdays; ++day) {
        const int position = m_weekdays[day]->currentIndex();
        read.weekdays[day] = position < 0 ? NoDefrostSchedule : uint8_t(position);
    }
    if (!read.anySet()) {
        MessageById(txt::FillInValue, MB::Ok | MB::IconStop, this);
        return;
    }
    m_defrost = read;
    m_changed = changed;
    QDialog::accept();
}

void DefrostSchedulesDlg::reject()
{
    if (edited() && !ChangesDiscarded(this, [this] { accept(); }))
        return;
    m_changed = false;
    QDialog::reject();
}
