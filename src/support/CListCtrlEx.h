#pragma once
// The list control the program's lists derive from: a report-style list whose
// rows are objects owned by the control and whose cell texts are produced on
// demand from the row data. Sorting reorders the rows themselves, so a row's
// index is its position on screen, as the callers' "list order" expects.

#include <QTreeView>

#include <functional>
#include <memory>
#include <vector>


// The data behind one row; derived lists keep their own row type.
struct ListRow {
    virtual ~ListRow();
};

class CListCtrlEx : public QTreeView {
    Q_OBJECT

public:
    struct Column {
        QString caption;
        int width;
        Qt::Alignment alignment = Qt::AlignLeft;
    };

    explicit CListCtrlEx(QWidget* parent = nullptr);
    ~CListCtrlEx() override;

    // Whole rows are selected and drawn as selected.
    void SetFullRowSel(bool on);
    void setColumns(const std::vector<Column>& columns);
    // Sizes every column to its widest cell or its caption, whichever is wider.
    void fitColumnsToContents();
    int columnCount() const { return int(m_columns.size()); }
    void setSingleSelection(bool single);

    int rowCount() const { return int(m_rows.size()); }
    // Appends a row; its index, or -1 when it could not be added.
    int appendRow(std::unique_ptr<ListRow> row);
    void removeRow(int index);
    // Replaces every row by `count` rows that makeRow makes, selecting those
    // marked in `selected`, with painting off meanwhile; false when a row
    // could not be added (the rows before it stay).
    bool replaceRows(size_t count, const std::function<std::unique_ptr<ListRow>(size_t)>& makeRow,
                     const std::vector<bool>& selected = {});
    void removeAllRows();
    ListRow& rowAt(int index) { return *m_rows[size_t(index)]; }
    const ListRow& rowAt(int index) const { return *m_rows[size_t(index)]; }

    // Selected rows in list order.
    std::vector<int> selectedRows() const;
    bool isRowSelected(int index) const;
    void setRowSelected(int index, bool selected);
    void clearRowSelection();

    // Painting is off while a list is filled and on again afterwards.
    void setRedraw(bool on);
    bool redrawOn() const { return m_redraw; }

    // Sorts the rows by a column; the order stays until the next sort.
    void sortRows(int column, bool ascending);
    int sortColumn() const { return m_sortColumn; }
    bool sortAscending() const { return m_sortAscending; }
    // A click on a header: the same column again reverses, another sorts ascending.
    void sortByHeader(int column);

    // Redraws the cells of a row after its data changed.
    void refreshRow(int index);
    void refreshAll();

    // The text shown in a cell.
    QString text(int row, int column) const;
    // The cell's text is wider than its column: its tool tip shows it whole.
    bool isCellCut(int row, int column) const;

Q_SIGNALS:
    void rowSelectionChanged();
    void rowActivated(int row);

protected:
    // Enter on a row that someone opens is that row's activation and nothing more.
    void keyPressEvent(QKeyEvent* event) override;
    virtual QString cellText(const ListRow& row, int column) const = 0;
    // Negative, zero or positive; by default the cell texts without regard to case.
    virtual int compareRows(const ListRow& a, const ListRow& b, int column) const;
    // Extra display data of a cell (colours, fonts); empty by default.
    virtual QVariant cellData(const ListRow& row, int column, int role) const;

private:
    class Model;
    friend class Model;

    Model* m_model;
    std::vector<Column> m_columns;
    std::vector<std::unique_ptr<ListRow>> m_rows;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    bool m_redraw = true;
};
