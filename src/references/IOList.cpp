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

// Painting is off while a list is filled and on again at the end, whatever way it ends.
class RedrawOff {
public:
    explicit RedrawOff(CListCtrlEx& list) : m_list(list) { m_list.setRedraw(false); }
    ~RedrawOff() { m_list.setRedraw(true); }

private:
    CListCtrlEx& m_list;
};

// The message and status of a reference's status flags, later ones replacing earlier ones.
void applyStatusFlags(uint8_t flagsA, uint8_t flagsB, ReferenceRow& row)
{
    if ((flagsA & ReferenceFlag::NoDescription) && row.status != ReferenceStatus::Error) {
        row.message = TextById(txt::NoQebDescription);
        row.status = ReferenceStatus::Error;
    }
    if (flagsA & ReferenceFlag::NoParameterInGateway) {
        row.message = TextById(txt::ParameterNotExistMcb);
        row.status = ReferenceStatus::Error;
    }
    if (flagsA & ReferenceFlag::NoParameter) {
        row.message = TextById(txt::ParameterNotExist);
        row.status = ReferenceStatus::Error;
    }
    bool checkB = row.status < ReferenceStatus::Error;
    if (flagsA & ReferenceFlag::NeedsApproval) {
        row.message = TextById(txt::ParameterNeedsApproval);
        row.status = ReferenceStatus::Warning;
        checkB = true;
    }
    if (!checkB)
        return;
    if (flagsB & (ReferenceFlag::CommunicationError >> 8)) {
        row.message = TextById(txt::CommunicationError);
        row.status = ReferenceStatus::Error;
    } else if (row.status < ReferenceStatus::Error && (flagsB & (ReferenceFlag::TypeConflict >> 8))) {
        row.message = TextById(txt::QebTypeConflict);
        row.status = ReferenceStatus::Error;
    }
}

} // namespace

int ReadTextMode() { return GetPrivateProfileInt("QEBCtrl", "TxtMode", 0, OrpaIniFile()) == 1 ? 1 : 0; }

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
        return QString::fromStdString(m_textMode == 1 && !d.customText.empty() ? d.customText : d.defaultText);
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
    RedrawOff redrawOff(*this);
    const std::string prefix = NetworkPrefix(gatewayAddress);
    const std::string automaticText = TextById(txt::Automatic);
    ScopedTable netcnf(table::NetCnf, DbMode::ReadOnly);
    for (uint8_t block : blockNumbers) {
        if (block == 0)
            break;
        std::vector<McdefRecord> records;
        const uint16_t scan = ReadBlocks(functionNumber, blockType, block, records);
        for (const McdefRecord& record : records) {
            const uint8_t flagsA = record[4];
            const uint8_t flagsB = record[5];
            ReferenceRow r;
            if (flagsA & ReferenceFlag::ControllerNotFound) {
                r.message = TextById(txt::QebNotFound);
                r.status = ReferenceStatus::Error;
            } else {
                const std::string nodeKey = NodeKey(prefix, record.item());
                uint8_t key[8] = {};
                le::putStr(key, sizeof key, nodeKey);
                uint8_t node[NetCnfRecord::Size];
                const uint16_t status = netcnf.status() == DbStatus::Success
                    ? DbGet(table::NetCnf, 0, key, sizeof key, node, sizeof node, DbOp::GetEqual)
                    : netcnf.status();
                if (status == DbStatus::KeyNotFound)
                    return false;
                if (status != DbStatus::Success) {
                    ReportDbError(table::NetCnf, status, __FILE__, __LINE__, this);
                    return false;
                }
                const NetCnfRecord controller = NetCnfRecord::read(node);
                r.idCode = controller.idCode;
                r.ident = controller.ident;
                r.descKey = controller.descKey;
                r.nodeKind = uint8_t(controller.nodeKind & 0xFF);
            }
            if (record[6] == AutomaticParameter) {
                r.defaultText = automaticText;
            } else if (!(flagsA & (ReferenceFlag::ControllerNotFound | ReferenceFlag::NoDescription
                                   | ReferenceFlag::NoParameter))) {
                uint16_t status = DbStatus::Success;
                QebDesRecord description;
                switch (DescribeParameter(r.descKey, record[6], record[7], record[8], description, status)) {
                case DescriptionLookup::Found:
                    r.defaultText = description.defaultText;
                    r.customText = description.customText;
                    break;
                case DescriptionLookup::Missing: {
                    const std::string text = StrFormat("%s '%s'.\n%s", TextById(txt::CorruptedQebDescription).c_str(),
                                                       r.descKey.c_str(), TextById(txt::UploadNewVersion).c_str());
                    ShowMessage(QString::fromStdString(text), MB::Ok | MB::IconStop, this, true);
                    r.defaultText = "???";
                    r.customText = "???";
                    break;
                }
                case DescriptionLookup::Failed:
                    ReportDbError(table::QebDes, status, __FILE__, __LINE__, this);
                    return false;
                }
            }
            applyStatusFlags(flagsA, flagsB, r);
            r.address = StrFormat("%03d", record.item());
            r.flags = uint16_t(flagsA + 256 * flagsB);
            r.par1 = record[6];
            r.par2 = record[7];
            r.par3 = record[8];
            r.parameterClass = record[9];
            if (AddRow(r) < 0) {
                MessageById(txt::ListFull, MB::Ok | MB::IconStop, this);
                return false;
            }
        }
        if (scan != DbStatus::Success) {
            ReportDbError(table::Mcdef, scan, __FILE__, __LINE__, this);
            return false;
        }
    }
    sortRows(sortColumn(), sortAscending());
    return true;
}

bool IOList::StoreReferences(uint8_t functionType, uint8_t functionNumber, uint8_t blockType,
                             const std::array<uint8_t, 4>& blockNumbers)
{
    const SlotSet slots = TypeSlots(functionType, blockType == BlockType::Input ? Direction::Input : Direction::Output);
    for (uint8_t block : blockNumbers) {
        if (block == 0)
            break;
        const SlotDescriptor& slot = slots.descriptors[size_t(block - 1) % 8];
        uint16_t status = RemoveBlocks(functionNumber, blockType, block);
        if (status != DbStatus::Success) {
            ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
            return false;
        }
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
            status = InsertBlock(record);
            if (status != DbStatus::Success) {
                ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
                return false;
            }
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
    for (int i = 0; i < rowCount(); ++i) {
        const ReferenceRow& r = row(i);
        if (r.address != address)
            continue;
        if (addressOnly || (r.par1 == par1 && r.par2 == par2 && r.par3 == par3))
            return i;
    }
    return -1;
}

bool IOList::CopyRows(const IOList& source, bool select, bool onlySelected)
{
    RedrawOff redrawOff(*this);
    DeleteAllRows();
    int last = 0;
    for (int i = 0; i < source.rowCount(); ++i) {
        if (onlySelected && !source.isRowSelected(i))
            continue;
        last = AddRow(source.row(i));
        if (last >= 0 && select)
            setRowSelected(last, true);
    }
    sortRows(sortColumn(), sortAscending());
    return last >= 0;
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

RowKey IOList::RowKeyOf(int index) const
{
    const ReferenceRow& r = row(index);
    RowKey key{};
    le::putStr(key.data(), 4, r.address);
    key[4] = r.par1;
    key[5] = r.par2;
    key[6] = r.par3;
    return key;
}
