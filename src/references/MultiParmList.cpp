#include "references/MultiParmList.h"

#include "model/Messages.h"
#include "model/Texts.h"
#include "references/IOList.h"
#include "support/UiSeam.h"

#include <QBrush>
#include <QPalette>

#include <algorithm>
#include <numeric>

namespace {

struct MultiListRow : ListRow {
    explicit MultiListRow(MultiParmRow r) : data(std::move(r)) {}
    MultiParmRow data;
};

const MultiParmRow& dataOf(const ListRow& row) { return static_cast<const MultiListRow&>(row).data; }

} // namespace

MultiParmList::MultiParmList(int role, uint8_t block, QWidget* parent)
    : CListCtrlEx(parent)
    , m_role(role)
    , m_block(block)
    , m_textMode(ReadTextMode())
{
    SetFullRowSel(true);
}

void MultiParmList::setKindColumns(const std::vector<KindColumn>& columns)
{
    std::vector<Column> shown;
    m_kinds.clear();
    for (const KindColumn& c : columns) {
        shown.push_back(c.column);
        m_kinds.push_back(c.kind);
    }
    setColumns(shown);
}

const MultiParmRow& MultiParmList::row(int index) const { return dataOf(rowAt(index)); }

MultiParmRow& MultiParmList::row(int index) { return static_cast<MultiListRow&>(rowAt(index)).data; }

QString MultiParmList::slotText(const ParameterSlot& slot) const
{
    return QString::fromStdString(TextByMode(slot.defaultText, slot.customText, m_textMode));
}

QString MultiParmList::cellText(const ListRow& r, int column) const
{
    const MultiParmRow& d = dataOf(r);
    const uint32_t kind = column < int(m_kinds.size()) ? m_kinds[size_t(column)] : 0;
    switch (kind) {
    case Position: {
        for (int i = 0; i < rowCount(); ++i)
            if (&rowAt(i) == &r)
                return QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        return {};
    }
    case Address:
        return QStringLiteral("%1").arg(d.address, 3, 10, QLatin1Char('0'));
    case Loop:
        return QString(QLatin1Char(d.loop));
    case IdCode:
        return QString::fromStdString(d.idCode);
    case DefrostDelay:
        return QString::number(d.defrostDelay / 60);
    case Ident:
        return QString::fromStdString(d.ident);
    case Message:
        return QString::fromStdString(d.message);
    case Input1:
    case Input1Alt:
        return slotText(d.inputs[0]);
    case Input2:
    case Input2Alt:
        return slotText(d.inputs[1]);
    case Input3:
    case Input3Alt:
        return slotText(d.inputs[2]);
    case Input4:
    case Input4Alt:
        return slotText(d.inputs[3]);
    case Input5:
        return slotText(d.inputs[4]);
    case Output:
        return slotText(d.output);
    default:
        return {};
    }
}

QVariant MultiParmList::cellData(const ListRow& r, int, int role) const
{
    if (role == Qt::ForegroundRole && dataOf(r).incomplete)
        return palette().brush(QPalette::Disabled, QPalette::Text);
    return {};
}

bool MultiParmList::ShowRows(const std::vector<MultiParmRow>& rows, const std::vector<bool>& selected)
{
    if (rowCount() > 0 || !rows.empty())
        m_modified = true;
    if (replaceRows(rows.size(), [&rows](size_t i) { return std::make_unique<MultiListRow>(rows[i]); }, selected))
        return true;
    MessageById(txt::ListFull, MB::Ok | MB::IconStop, this);
    return false;
}

bool MultiParmList::LoadMultiReferences(const std::string& gatewayAddress, uint8_t functionNumber, uint8_t blockType)
{
    const MultiRowsRead read = ReadMultiReferenceRows(gatewayAddress, functionNumber, blockType, m_block);
    if (read.failure)
        ReportRowReadFailure(*read.failure, this);
    return read.complete() && ShowRows(read.rows);
}

bool MultiParmList::StoreMultiReferences(uint8_t functionType, uint8_t functionNumber, uint8_t blockType)
{
    uint16_t status = 0;
    switch (StoreMultiReferenceRows(functionType, functionNumber, blockType, m_block, Rows(), status)) {
    case MultiStore::Stored:
        return true;
    case MultiStore::NotReferenceSlot:
        return false;
    case MultiStore::Failed:
        break;
    }
    ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
    return false;
}

bool MultiParmList::FillMultiCandidates(const std::string& gatewayAddress, const MultiParmList& editorList)
{
    WaitCursor wait;
    const MultiCandidatesRead read =
        ReadMultiCandidates(QebTypeIni(), gatewayAddress, m_functionNumber, m_role, editorList.Rows());
    std::vector<MultiParmRow> rows;
    std::vector<bool> selected;
    for (const MultiCandidate& candidate : read.rows) {
        rows.push_back(candidate.row);
        selected.push_back(candidate.selected);
    }
    const bool shown = ShowRows(rows, selected);
    if (read.failure)
        ReportRowReadFailure(*read.failure, this);
    return shown && !read.failure;
}

bool MultiParmList::CopyRows(const MultiParmList& source, bool onlySelected)
{
    return ShowRows(onlySelected ? source.SelectedMultiRows() : source.Rows());
}

std::vector<MultiParmRow> MultiParmList::rowsAt(const std::vector<int>& indexes) const
{
    std::vector<MultiParmRow> rows(indexes.size());
    std::transform(indexes.begin(), indexes.end(), rows.begin(), [this](int index) { return row(index); });
    return rows;
}

std::vector<MultiParmRow> MultiParmList::Rows() const
{
    std::vector<int> every(static_cast<size_t>(rowCount()));
    std::iota(every.begin(), every.end(), 0);
    return rowsAt(every);
}

std::vector<MultiParmRow> MultiParmList::SelectedMultiRows() const { return rowsAt(selectedRows()); }
