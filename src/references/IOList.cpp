#include "references/IOList.h"

#include "model/Descriptions.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/IdentityChecksum.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "protocol/TypeCatalogue.h"
#include "references/ReferenceRows.h"
#include "support/Db.h"
#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/UiSeam.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

struct ReferenceListRow : ListRow {
    explicit ReferenceListRow(ReferenceRow r) : data(std::move(r)) {}
    ReferenceRow data;
};

const ReferenceRow& dataOf(const ListRow& row) { return static_cast<const ReferenceListRow&>(row).data; }

} // namespace

void ReportRowReadFailure(const RowReadFailure& failure, QWidget* parent)
{
    ReportDbError(failure.table, failure.status, failure.file, failure.line, parent);
}

IOList::IOList(QWidget* parent)
    : CListCtrlEx(parent)
    , m_textMode(ReadTextMode())
{
    SetFullRowSel(true);
    setColumns({
        {QString(), 10},
        {QText(txt::RefColumnAddress), 40, Qt::AlignRight},
        {QText(txt::RefColumnIdCode), 100},
        {QText(txt::RefColumnParameter), 100},
        {QText(txt::RefColumnMessage), 100},
        {QText(txt::RefColumnIdent), 100},
    });
    sortRows(AddressColumn, true);
}

const ReferenceRow& IOList::row(int index) const { return dataOf(rowAt(index)); }

ReferenceRow& IOList::row(int index) { return static_cast<ReferenceListRow&>(rowAt(index)).data; }

QString IOList::cellText(const ListRow& r, int column) const
{
    const ReferenceRow& d = dataOf(r);
    switch (column) {
    case MarkColumn:
        return d.status == ReferenceStatus::Error ? QStringLiteral("!")
            : d.status == ReferenceStatus::Warning ? QStringLiteral("-")
                                                   : QStringLiteral(" ");
    case AddressColumn:
        return QString::fromStdString(d.address);
    case IdCodeColumn:
        return QString::fromStdString(d.idCode);
    case ParameterColumn:
        return QString::fromStdString(TextByMode(d.defaultText, d.customText, m_textMode));
    case MessageColumn:
        return QString::fromStdString(d.message);
    case IdentColumn:
        return QString::fromStdString(d.ident);
    default:
        return {};
    }
}

int IOList::AddRow(const ReferenceRow& data)
{
    int index = -1;
    try {
        index = appendRow(std::make_unique<ReferenceListRow>(data));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    if (index >= 0)
        m_modified = true;
    return index;
}

int IOList::AddRow(uint32_t status, const std::string& address, const std::string& idCode,
                   const std::string& defaultText, const std::string& customText, const std::string& message,
                   const std::string& ident, const std::string& descKey, uint16_t flags, uint8_t par1, uint8_t par2,
                   uint8_t par3, uint8_t parameterClass, uint8_t nodeKind)
{
    ReferenceRow r;
    r.status = status;
    r.address = address;
    r.idCode = idCode;
    r.defaultText = defaultText;
    r.customText = customText;
    r.message = message;
    r.ident = ident;
    r.descKey = descKey;
    r.flags = flags;
    r.par1 = par1;
    r.par2 = par2;
    r.par3 = par3;
    r.parameterClass = parameterClass;
    r.nodeKind = nodeKind;
    return AddRow(r);
}

bool IOList::LoadReferences(const std::string& gatewayAddress, uint8_t functionNumber, uint8_t blockType,
                            const std::array<uint8_t, 4>& blockNumbers)
{
    const ReferenceRowsRead read = ReadReferenceRows(gatewayAddress, functionNumber, blockType, blockNumbers);
    for (const std::string& descKey : read.corruptedDescriptions) {
        const std::string text = StrFormat("%s '%s'.\n%s", TextById(txt::CorruptedQebDescription).c_str(),
                                           descKey.c_str(), TextById(txt::UploadNewVersion).c_str());
        ShowMessage(QString::fromStdString(text), MB::Ok | MB::IconStop, this, true);
    }
    if (read.failure)
        ReportRowReadFailure(*read.failure, this);
    return read.complete() && ShowRows(read.rows);
}

bool IOList::FillCandidates(const std::string& networkPrefix, const GroupLimits& limits, const IOList& group,
                            bool select)
{
    const CandidateRowsRead read = ReadCandidateRows(networkPrefix, limits, group.Rows());
    std::vector<ReferenceRow> rows;
    std::vector<bool> selected;
    for (const CandidateRow& candidate : read.rows) {
        rows.push_back(candidate.row);
        selected.push_back(select && candidate.ofGroup);
    }
    const bool shown = ShowRows(rows, selected);
    if (read.failure)
        ReportRowReadFailure(*read.failure, this);
    return shown && !read.failure;
}

bool IOList::ShowRows(const std::vector<ReferenceRow>& rows, const std::vector<bool>& selected)
{
    if (rowCount() > 0 || !rows.empty())
        m_modified = true;
    if (!replaceRows(rows.size(), [&rows](size_t i) { return std::make_unique<ReferenceListRow>(rows[i]); },
                     selected)) {
        MessageById(txt::ListFull, MB::Ok | MB::IconStop, this);
        return false;
    }
    sortRows(sortColumn(), sortAscending());
    fitColumnsToContents();
    return true;
}

std::vector<ReferenceRow> IOList::Rows() const
{
    std::vector<ReferenceRow> rows;
    for (int i = 0; i < rowCount(); ++i)
        rows.push_back(row(i));
    return rows;
}

std::vector<ReferenceRow> IOList::SelectedReferences() const
{
    std::vector<ReferenceRow> rows;
    for (int i : selectedRows())
        rows.push_back(row(i));
    return rows;
}

bool IOList::StoreReferences(uint8_t functionType, uint8_t functionNumber, uint8_t blockType,
                             const std::array<uint8_t, 4>& blockNumbers)
{
    const SlotSet slots = TypeSlots(functionType, blockType == BlockType::Input ? Direction::Input : Direction::Output);
    for (uint8_t block : blockNumbers) {
        if (block == 0)
            break;
        const SlotDescriptor& slot = slots.descriptors[size_t(block - 1) % 8];
        std::vector<McdefRecord> records;
        for (int i = 0; i < rowCount(); ++i) {
            const ReferenceRow& r = row(i);
            const bool takes = (slot.kind == SlotKind::Automatic && r.automatic())
                || (slot.kind == SlotKind::Parameter && !r.automatic() && r.parameterClass == slot.parameterClass);
            if (!takes)
                continue;
            McdefRecord record(functionNumber, blockType, block, uint8_t(std::atoi(r.address.c_str())));
            record[6] = r.par1;
            record[7] = r.par2;
            record[8] = r.par3;
            record[9] = r.parameterClass;
            if (slot.kind == SlotKind::Parameter)
                le::putU16(&record[10], IdentityChecksum(r.nodeKind, r.ident));
            records.push_back(record);
        }
        if (const uint16_t status = ReplaceBlocks(functionNumber, blockType, block, records);
            status != DbStatus::Success) {
            ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
            return false;
        }
    }
    return true;
}

bool IOList::ReferencesValid() const
{
    for (int i = 0; i < rowCount(); ++i)
        if (row(i).flags & ~uint16_t(ReferenceFlag::ControllerNotFound))
            return false;
    return true;
}

void IOList::RefreshTextMode()
{
    const int mode = ReadTextMode();
    if (mode == m_textMode)
        return;
    m_textMode = mode;
    if (sortColumn() == ParameterColumn)
        sortRows(sortColumn(), sortAscending());
    else
        refreshAll();
}

int IOList::FindRow(const std::string& address, uint8_t par1, uint8_t par2, uint8_t par3, bool addressOnly) const
{
    for (int i = 0; i < rowCount(); ++i)
        if (row(i).refersTo(address, par1, par2, par3, addressOnly))
            return i;
    return -1;
}

bool IOList::CopyRows(const IOList& source, bool select, bool onlySelected)
{
    const std::vector<ReferenceRow> rows = onlySelected ? source.SelectedReferences() : source.Rows();
    return ShowRows(rows, std::vector<bool>(rows.size(), select));
}

void IOList::DeleteAllRows()
{
    if (rowCount() > 0)
        m_modified = true;
    removeAllRows();
}

void IOList::ApproveRows()
{
    for (int i = 0; i < rowCount(); ++i) {
        ReferenceRow& r = row(i);
        if (!(r.flags & ReferenceFlag::NeedsApproval))
            continue;
        r.flags &= uint16_t(~ReferenceFlag::NeedsApproval);
        r.status = ReferenceStatus::Valid;
        r.message.clear();
        m_modified = true;
        refreshRow(i);
    }
}
