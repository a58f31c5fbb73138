#include "support/CutTextToolTips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QListView>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace {

class CutTextToolTipFilter : public QObject {
public:
    explicit CutTextToolTipFilter(QAbstractItemView& view)
        : QObject(&view)
        , m_view(view)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The type first: the view is no longer whole when its destruction sends events.
        if (event->type() != QEvent::ToolTip || watched != m_view.viewport())
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = m_view.indexAt(help->pos());
        if (!index.isValid() || index.data(Qt::ToolTipRole).isValid())
            return false;
        if (IsTextCut(m_view, index))
            QToolTip::showText(help->globalPos(), index.data(Qt::DisplayRole).toString(), m_view.viewport(),
                               m_view.visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }

private:
    QAbstractItemView& m_view;
};

} // namespace

bool IsTextCut(const QAbstractItemView& view, const QModelIndex& index)
{
    if (!index.isValid())
        return false;
    // The item view's text margin on either side of a cell.
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    const QRect cell = view.visualRect(index);
    // A list view's item is as wide as its text: what the viewport does not show is cut.
    const int right = qobject_cast<const QListView*>(&view) ? std::min(cell.right() + 1, view.viewport()->width())
                                                            : cell.right() + 1;
    int room = right - cell.left() - 2 * margin;
    if (index.data(Qt::DecorationRole).isValid())
        room -= view.iconSize().width() + margin;
    return view.fontMetrics().horizontalAdvance(index.data(Qt::DisplayRole).toString()) > room;
}

void ShowCutTextsAsToolTips(QAbstractItemView& view)
{
    view.viewport()->installEventFilter(new CutTextToolTipFilter(view));
}
