#include "list/FunctionListCtrl.h"

#include "model/Texts.h"

#include <QColor>
#include <QStyle>

namespace {

// An amber that keeps black text readable, whether the row is selected or not.
constexpr QRgb NotSentTint = 0xffffe0a0;

struct FunctionRow : ListRow {
    explicit FunctionRow(FunctionItem i) : item(std::move(i)) {}
    FunctionItem item;
};

const FunctionItem& itemOf(const ListRow& row) { return static_cast<const FunctionRow&>(row).item; }

} // namespace

FunctionListCtrl::FunctionListCtrl(QWidget* parent)
    : CListCtrlEx(parent)
{
    SetFullRowSel(true);
    setSingleSelection(false);
}

void FunctionListCtrl::setUpColumns()
{
    m_startedText = QText(txt::StateStarted);
    m_manualText = QText(txt::StateManual);
    m_errorText = QText(txt::StateError);
    m_notSentText = QText(txt::NotSentToGateway);
    setColumns({
        {QText(txt::ColumnType), 130},
        {QText(txt::ColumnName), 130},
        {QText(txt::ColumnNumber), 40, Qt::AlignRight},
        {QString(), 45},
        {QString(), 65},
        {QString(), 65},
    });
}

int FunctionListCtrl::addItem(const FunctionItem& item) { return appendRow(std::make_unique<FunctionRow>(item)); }

const FunctionItem& FunctionListCtrl::item(int row) const { return itemOf(rowAt(row)); }

FunctionItem& FunctionListCtrl::item(int row) { return static_cast<FunctionRow&>(rowAt(row)).item; }

int FunctionListCtrl::rowOf(uint8_t number) const
{
    for (int row = 0; row < rowCount(); ++row)
        if (item(row).number == number)
            return row;
    return -1;
}

std::vector<FunctionItem> FunctionListCtrl::selectedItems() const
{
    std::vector<FunctionItem> items;
    for (int row : selectedRows())
        items.push_back(item(row));
    return items;
}

std::vector<FunctionItem> FunctionListCtrl::allItems() const
{
    std::vector<FunctionItem> items;
    for (int row = 0; row < rowCount(); ++row)
        items.push_back(item(row));
    return items;
}

QString FunctionListCtrl::cellText(const ListRow& row, int column) const
{
    const FunctionItem& i = itemOf(row);
    switch (column) {
    case TypeColumn:
        return QString::fromStdString(i.typeName);
    case NameColumn:
        return QString::fromStdString(i.name);
    case NumberColumn:
        return QString::number(i.number);
    case StartedColumn:
        return (i.state & RowState::Started) ? m_startedText : QString();
    case ManualColumn:
        return (i.state & RowState::Manual) ? m_manualText : QString();
    case ErrorColumn:
        return (i.state & RowState::Error) ? m_errorText : QString();
    default:
        return {};
    }
}

int FunctionListCtrl::compareRows(const ListRow& a, const ListRow& b, int column) const
{
    if (column == NumberColumn)
        return int(itemOf(a).number) - int(itemOf(b).number);
    return CListCtrlEx::compareRows(a, b, column);
}

QVariant FunctionListCtrl::cellData(const ListRow& row, int column, int role) const
{
    if (!itemOf(row).notSent)
        return {};
    if (role == Qt::DecorationRole && column == TypeColumn)
        return style()->standardIcon(QStyle::SP_MessageBoxWarning);
    if (role == Qt::BackgroundRole)
        return QColor(NotSentTint);
    if (role == Qt::ToolTipRole)
        return m_notSentText + QStringLiteral("\n") + QString::fromStdString(itemOf(row).notSentDetail);
    return {};
}
