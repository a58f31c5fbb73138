#pragma once
// The list of the function list dialog: one row per control function with
// its type, name, number and state columns. A function that the gateway has
// not accepted as MCDEF defines it carries a mark and says so in its tool tip.

#include "list/FunctionListRules.h"
#include "support/CListCtrlEx.h"

class FunctionListCtrl : public CListCtrlEx {
    Q_OBJECT

public:
    enum Column { TypeColumn, NameColumn, NumberColumn, StartedColumn, ManualColumn, ErrorColumn };

    explicit FunctionListCtrl(QWidget* parent = nullptr);

    // Creates the columns with their captions (texts of the text service).
    void setUpColumns();

    int addItem(const FunctionItem& item);
    const FunctionItem& item(int row) const;
    FunctionItem& item(int row);
    // The row of a function number; -1 when it is not listed.
    int rowOf(uint8_t number) const;
    std::vector<FunctionItem> selectedItems() const;
    std::vector<FunctionItem> allItems() const;

protected:
    QString cellText(const ListRow& row, int column) const override;
    int compareRows(const ListRow& a, const ListRow& b, int column) const override;
    QVariant cellData(const ListRow& row, int column, int role) const override;

private:
    // The state texts, read once: cells are drawn far more often than texts change.
    QString m_startedText;
    QString m_manualText;
    QString m_errorText;
    QString m_notSentText;
};
