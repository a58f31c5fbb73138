#pragma once
// Draws item texts that hold tabs in columns, at tab stops given in dialog
// units (a quarter of the average character width), as list boxes with tab
// stops do.

#include <QStyledItemDelegate>

#include <vector>

class TabStopDelegate : public QStyledItemDelegate {
public:
    TabStopDelegate(std::vector<int> stopsInDialogUnits, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    std::vector<int> m_stops;
};
