#include "support/CListCtrlEx.h"

#include "support/CutTextToolTips.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QStyle>

#include <algorithm>
#include <numeric>

ListRow::~ListRow() = default;

class CListCtrlEx::Model : public QAbstractTableModel {
public:
    explicit Model(CListCtrlEx* owner)
        : QAbstractTableModel(owner)
        , m_owner(owner)
    {
    }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_owner->rowCount(); }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : m_owner->columnCount();
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_owner->rowCount())
            return {};
        const ListRow& row = m_owner->rowAt(index.row());
        if (role == Qt::DisplayRole)
            return m_owner->cellText(row, index.column());
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(m_owner->m_columns[size_t(index.column())].alignment | Qt::AlignVCenter);
        const QVariant data = m_owner->cellData(row, index.column(), role);
        if (role == Qt::ToolTipRole && m_owner->isCellCut(index.row(), index.column())) {
            // A cut text is shown whole, above what the row's own tip says.
            const QString whole = m_owner->cellText(row, index.column());
            return data.isValid() ? whole + QLatin1Char('\n') + data.toString() : whole;
        }
        return data;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= m_owner->columnCount())
            return {};
        if (role == Qt::DisplayRole)
            return m_owner->m_columns[size_t(section)].caption;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(m_owner->m_columns[size_t(section)].alignment | Qt::AlignVCenter);
        return {};
    }

    void resetColumns()
    {
        beginResetModel();
        endResetModel();
    }
    void beginInsert(int first) { beginInsertRows({}, first, first); }
    void endInsert() { endInsertRows(); }
    void beginRemove(int first, int last) { beginRemoveRows({}, first, last); }
    void endRemove() { endRemoveRows(); }
    void rowChanged(int row)
    {
        Q_EMIT dataChanged(index(row, 0), index(row, std::max(0, m_owner->columnCount() - 1)));
    }
    void allChanged()
    {
        if (m_owner->rowCount() > 0)
            Q_EMIT dataChanged(index(0, 0), index(m_owner->rowCount() - 1, std::max(0, m_owner->columnCount() - 1)));
    }

    // Moves the rows into a new order: newOrder[i] is the old index of the row
    // that goes to position i. Selection and current row follow their rows.
    void reorder(const std::vector<int>& newOrder)
    {
        Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        std::vector<int> newPosition(newOrder.size());
        for (size_t i = 0; i < newOrder.size(); ++i)
            newPosition[size_t(newOrder[i])] = int(i);
        std::vector<std::unique_ptr<ListRow>> rows(newOrder.size());
        for (size_t i = 0; i < newOrder.size(); ++i)
            rows[i] = std::move(m_owner->m_rows[size_t(newOrder[i])]);
        m_owner->m_rows = std::move(rows);
        const QModelIndexList persistent = persistentIndexList();
        QModelIndexList moved;
        moved.reserve(persistent.size());
        for (const QModelIndex& old : persistent)
            moved << index(newPosition[size_t(old.row())], old.column());
        changePersistentIndexList(persistent, moved);
        Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

private:
    CListCtrlEx* m_owner;
};

CListCtrlEx::CListCtrlEx(QWidget* parent)
    : QTreeView(parent)
    , m_model(new Model(this))
{
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    header()->setSortIndicatorShown(true);
    connect(header(), &QHeaderView::sectionClicked, this, &CListCtrlEx::sortByHeader);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CListCtrlEx::rowSelectionChanged);
    connect(this, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid())
            Q_EMIT rowActivated(index.row());
    });
}

CListCtrlEx::~CListCtrlEx() = default;

void CListCtrlEx::keyPressEvent(QKeyEvent* event)
{
    QTreeView::keyPressEvent(event);
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && currentIndex().isValid() && isSignalConnected(QMetaMethod::fromSignal(&CListCtrlEx::rowActivated)))
        event->accept();
}

bool CListCtrlEx::isCellCut(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return false;
    return IsTextCut(*this, model()->index(row, column));
}

void CListCtrlEx::SetFullRowSel(bool on)
{
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    setAllColumnsShowFocus(on);
}

void CListCtrlEx::setColumns(const std::vector<Column>& columns)
{
    m_columns = columns;
    m_model->resetColumns();
    // Widths are given for a font with characters 6 pixels wide; wider fonts
    // widen the columns, and a caption keeps room beside the sort indicator.
    const double scale = std::max(1.0, fontMetrics().averageCharWidth() / 6.0);
    constexpr int IndicatorRoom = 24;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const int captionWidth = m_columns[i].caption.isEmpty()
            ? 0
            : header()->fontMetrics().horizontalAdvance(m_columns[i].caption) + IndicatorRoom;
        header()->resizeSection(int(i), std::max(int(m_columns[i].width * scale + 0.5), captionWidth));
    }
}

void CListCtrlEx::fitColumnsToContents()
{
    for (int column = 0; column < columnCount(); ++column)
        resizeColumnToContents(column);
}

void CListCtrlEx::setSingleSelection(bool single)
{
    setSelectionMode(single ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
}

bool CListCtrlEx::replaceRows(size_t count, const std::function<std::unique_ptr<ListRow>(size_t)>& makeRow,
                              const std::vector<bool>& selected)
{
    setRedraw(false);
    removeAllRows();
    bool complete = true;
    for (size_t i = 0; i < count && complete; ++i) {
        int index = -1;
        try {
            index = appendRow(makeRow(i));
        } catch (const std::bad_alloc&) {
        }
        complete = index >= 0;
        if (complete && i < selected.size() && selected[i])
            setRowSelected(index, true);
    }
    setRedraw(true);
    return complete;
}

int CListCtrlEx::appendRow(std::unique_ptr<ListRow> row)
{
    if (!row)
        return -1;
    const int index = rowCount();
    try {
        m_rows.reserve(m_rows.size() + 1);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    m_model->beginInsert(index);
    m_rows.push_back(std::move(row));
    m_model->endInsert();
    return index;
}

void CListCtrlEx::removeRow(int index)
{
    if (index < 0 || index >= rowCount())
        return;
    m_model->beginRemove(index, index);
    m_rows.erase(m_rows.begin() + index);
    m_model->endRemove();
}

void CListCtrlEx::removeAllRows()
{
    if (m_rows.empty())
        return;
    m_model->beginRemove(0, rowCount() - 1);
    m_rows.clear();
    m_model->endRemove();
}

std::vector<int> CListCtrlEx::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CListCtrlEx::isRowSelected(int index) const { return selectionModel()->isRowSelected(index, {}); }

void CListCtrlEx::setRowSelected(int index, bool selected)
{
    if (index < 0 || index >= rowCount())
        return;
    const QModelIndex cell = m_model->index(index, 0);
    selectionModel()->select(cell, (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect)
                                       | QItemSelectionModel::Rows);
    if (selected)
        selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
}

void CListCtrlEx::clearRowSelection() { selectionModel()->clearSelection(); }

void CListCtrlEx::setRedraw(bool on)
{
    m_redraw = on;
    setUpdatesEnabled(on);
}

int CListCtrlEx::compareRows(const ListRow& a, const ListRow& b, int column) const
{
    return cellText(a, column).compare(cellText(b, column), Qt::CaseInsensitive);
}

QVariant CListCtrlEx::cellData(const ListRow&, int, int) const { return {}; }

void CListCtrlEx::sortRows(int column, bool ascending)
{
    m_sortColumn = column;
    m_sortAscending = ascending;
    header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (column < 0 || m_rows.size() < 2)
        return;
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = compareRows(*m_rows[size_t(a)], *m_rows[size_t(b)], column);
        return ascending ? c < 0 : c > 0;
    });
    m_model->reorder(order);
}

void CListCtrlEx::sortByHeader(int column)
{
    sortRows(column, column == m_sortColumn ? !m_sortAscending : true);
}

void CListCtrlEx::refreshRow(int index)
{
    if (index >= 0 && index < rowCount())
        m_model->rowChanged(index);
}

void CListCtrlEx::refreshAll() { m_model->allChanged(); }

QString CListCtrlEx::text(int row, int column) const { return cellText(rowAt(row), column); }
