#include "references/ParWSelectQebDlg.h"
#include "ui_ParWSelectQebDlg.h"

#include "model/Texts.h"
#include "references/ParWDlgs.h"

#include <algorithm>

namespace {

struct EntryRow : ListRow {
    EntryRow(WizardEntry e, int i) : entry(std::move(e)), index(i) {}
    WizardEntry entry;
    int index;
};

const EntryRow& entryRow(const ListRow& row) { return static_cast<const EntryRow&>(row); }

} // namespace

WizardQebList::WizardQebList(QWidget* parent)
    : CListCtrlEx(parent)
{
    SetFullRowSel(true);
    setSingleSelection(true);
    setColumns({
        {QString(), 12},
        {QText(txt::WizardColumnAddress), 40, Qt::AlignRight},
        {QText(txt::WizardColumnIdCode), 100},
        {QText(txt::WizardColumnIdent), 100},
    });
}

void WizardQebList::setEntries(const std::vector<WizardEntry>& entries)
{
    setRedraw(false);
    removeAllRows();
    for (size_t i = 0; i < entries.size(); ++i)
        appendRow(std::make_unique<EntryRow>(entries[i], int(i)));
    setRedraw(true);
}

int WizardQebList::entryOf(int row) const { return row >= 0 && row < rowCount() ? entryRow(rowAt(row)).index : -1; }

int WizardQebList::rowOf(int entry) const
{
    for (int row = 0; row < rowCount(); ++row)
        if (entryRow(rowAt(row)).index == entry)
            return row;
    return -1;
}

QString WizardQebList::cellText(const ListRow& row, int column) const
{
    const WizardEntry& e = entryRow(row).entry;
    switch (column) {
    case MarkColumn:
        return e.mark == WizardEntry::Defined ? QStringLiteral("+") : QStringLiteral("-");
    case AddressColumn:
        return QString::fromStdString(e.address);
    case IdCodeColumn:
        return QString::fromStdString(e.idCode);
    case IdentColumn:
        return QString::fromStdString(e.ident);
    default:
        return {};
    }
}

ParWSelectQebDlg::ParWSelectQebDlg(std::vector<WizardEntry>& entries, int chosenEntry, bool computeMarks,
                                   const std::string& networkPrefix, uint8_t functionParameter, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::ParWSelectQebDlg)
    , m_entries(entries)
{
    m_ui->setupUi(this);
    DialogTexts(this);
    m_ui->helpText->setText(QText(txt::WizardHelpNoParameters) + ' ' + QText(txt::WizardHelpSelectQeb) + ' '
                            + QText(txt::WizardHelpSignChanges));
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &ParWSelectQebDlg::reject);
    connect(m_ui->nextButton, &QPushButton::clicked, this, &ParWSelectQebDlg::next);
    connect(m_ui->finishButton, &QPushButton::clicked, this, [this] { done(WizardButton::Finish); });
    connect(m_ui->entryList, &CListCtrlEx::rowSelectionChanged, this, &ParWSelectQebDlg::updateButtons);

    if (computeMarks && !ComputeMarks(entries, networkPrefix, functionParameter, this)) {
        m_openingFailed = true;
        setResult(WizardButton::Failed);
    }
    m_ui->entryList->setEntries(m_entries);
    if (chosenEntry >= 0)
        m_ui->entryList->setRowSelected(m_ui->entryList->rowOf(chosenEntry), true);
    updateButtons();
}

ParWSelectQebDlg::~ParWSelectQebDlg() = default;

WizardQebList& ParWSelectQebDlg::list() { return *m_ui->entryList; }

void ParWSelectQebDlg::reject() { done(WizardButton::Cancel); }

void ParWSelectQebDlg::updateButtons()
{
    m_ui->nextButton->setEnabled(!m_ui->entryList->selectedRows().empty());
    m_ui->finishButton->setEnabled(std::all_of(m_entries.begin(), m_entries.end(), [](const WizardEntry& e) {
        return e.mark == WizardEntry::Defined;
    }));
}

void ParWSelectQebDlg::next()
{
    const std::vector<int> rows = m_ui->entryList->selectedRows();
    if (rows.empty())
        return;
    m_chosen = m_ui->entryList->entryOf(rows.front());
    done(WizardButton::Next);
}
