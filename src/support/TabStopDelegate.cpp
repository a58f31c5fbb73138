#include "support/TabStopDelegate.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>

TabStopDelegate::TabStopDelegate(std::vector<int> stopsInDialogUnits, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_stops(std::move(stopsInDialogUnits))
{
}

void TabStopDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    const QString text = background.text;
    background.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    // A dialog unit is a quarter of the mean width of the Latin letters; a
    // column never starts inside the text before it, whatever the font.
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int unit = (option.fontMetrics.horizontalAdvance(letters) + 26) / 52;
    const int space = option.fontMetrics.horizontalAdvance(QLatin1Char(' '));
    const QStringList pieces = text.split(QLatin1Char('\t'));
    painter->save();
    painter->setPen(option.state & QStyle::State_Selected ? option.palette.highlightedText().color()
                                                          : option.palette.text().color());
    int x = option.rect.left() + 2;
    int textEnd = x;
    for (int i = 0; i < pieces.size(); ++i) {
        if (i > 0 && size_t(i - 1) < m_stops.size())
            x = std::max(option.rect.left() + 2 + m_stops[size_t(i - 1)] * unit / 4, textEnd + space);
        else if (i > 0)
            x = textEnd + space;
        const QRect cell(x, option.rect.top(), option.rect.right() - x, option.rect.height());
        painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, pieces[i]);
        textEnd = x + option.fontMetrics.horizontalAdvance(pieces[i]);
    }
    painter->restore();
}
