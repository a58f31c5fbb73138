#pragma once
// Cells whose text does not fit show their whole text as tool tip.

#include <QModelIndex>

class QAbstractItemView;

// True when the cell's text is wider than the room its cell gives it.
bool IsTextCut(const QAbstractItemView& view, const QModelIndex& index);

// Lets every cut cell of the view show its text as tool tip (cells with a
// tool tip of their own keep it).
void ShowCutTextsAsToolTips(QAbstractItemView& view);
