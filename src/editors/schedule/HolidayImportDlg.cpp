#include "editors/schedule/HolidayImportDlg.h"
#include "ui_HolidayImportDlg.h"

#include "model/Messages.h"
#include "model/TextIds.h"
#include "model/Texts.h"
#include "protocol/StrFormat.h"
#include "support/UiSeam.h"

HolidayImportDlg::HolidayImportDlg(std::vector<HolidayEvent> events, std::vector<ForcedPeriod> listed, uint32_t now,
                                   QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::HolidayImportDlg)
    , m_events(std::move(events))
    , m_listed(std::move(listed))
    , m_now(now)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    m_ui->forcedCombo->addItem(QText(txt::StateOff));
    m_ui->forcedCombo->addItem(QText(txt::StateOn));
    m_ui->forcedCombo->setCurrentIndex(0);
    showPlan();
    connect(m_ui->forcedCombo, &QComboBox::currentIndexChanged, this, &HolidayImportDlg::showPlan);
    connect(m_ui->okButton, &QPushButton::clicked, this, &HolidayImportDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &HolidayImportDlg::reject);
}

HolidayImportDlg::~HolidayImportDlg() = default;

uint8_t HolidayImportDlg::state() const
{
    return m_ui->forcedCombo->currentIndex() == 1 ? PeriodState::On : PeriodState::Off;
}

void HolidayImportDlg::showPlan()
{
    const bool refill = m_ui->eventList->count() == int(m_events.size());
    std::vector<bool> checked;
    for (int row = 0; refill && row < m_ui->eventList->count(); ++row)
        checked.push_back(m_ui->eventList->item(row)->checkState() == Qt::Checked);
    m_plan = PlanHolidays(m_events, m_listed, m_now, state());
    m_ui->eventList->clear();
    for (size_t row = 0; row < m_plan.size(); ++row) {
        const HolidayChoice& choice = m_plan[row];
        const std::string reason = HolidayReasonText(choice);
        auto* item = new QListWidgetItem(
            QString::fromStdString(HolidayEventText(choice.event) + (reason.empty() ? "" : "  (" + reason + ")")),
            m_ui->eventList);
        if (choice.verdict == HolidayVerdict::CannotHold) {
            item->setFlags(item->flags() & ~(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled));
            continue;
        }
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        const bool on = refill ? checked[row] : choice.verdict == HolidayVerdict::Add;
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
}

void HolidayImportDlg::accept()
{
    std::vector<ForcedPeriod> taken = m_listed;
    std::vector<ForcedPeriod> chosen;
    for (int row = 0; row < m_ui->eventList->count(); ++row) {
        if (m_ui->eventList->item(row)->checkState() != Qt::Checked)
            continue;
        const ForcedPeriod& period = *m_plan[size_t(row)].event.period;
        if (const std::optional<size_t> other = FindCollision(period, taken)) {
            m_ui->eventList->setCurrentRow(row);
            const std::string text = StrFormat("%s '%s'.", TextById(txt::PeriodOverlaps).c_str(),
                                               ListedPeriodLine(taken[*other], ' ').c_str());
            ShowMessage(QString::fromStdString(text), MB::Ok | MB::IconExclamation, this, true);
            return;
        }
        taken.push_back(period);
        chosen.push_back(period);
    }
    const size_t room = MaxForcedPeriods - std::min(m_listed.size(), MaxForcedPeriods);
    if (chosen.size() > room) {
        ShowMessage(QString::fromStdString(StrFormat("%s %zu", TextById(txt::HolidaysThatFit).c_str(), room)),
                    MB::Ok | MB::IconExclamation, this, true);
        return;
    }
    m_chosen = std::move(chosen);
    QDialog::accept();
}
