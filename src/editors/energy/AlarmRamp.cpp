#include "editors/energy/AlarmRamp.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int Steps = 5;
constexpr int Margin = 6;
} // namespace

AlarmRamp::AlarmRamp(QWidget* parent)
    : QWidget(parent)
{
}

void AlarmRamp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect area = rect().adjusted(Margin, Margin, -Margin, -Margin);
    painter.drawLine(area.bottomLeft(), area.topLeft());
    painter.drawLine(area.bottomLeft(), area.bottomRight());

    // The staircase runs between a quarter and three quarters of the width:
    // flat at the bottom value before the band, flat at the top value after it.
    const double left = area.left() + area.width() / 4.0;
    const double right = area.left() + area.width() * 3.0 / 4.0;
    const double bottom = area.bottom() - area.height() / 8.0;
    const double top = area.top() + area.height() / 8.0;
    const double stepWidth = (right - left) / Steps;
    const double stepHeight = (bottom - top) / Steps;
    QPainterPath stairs(QPointF(area.left(), bottom));
    stairs.lineTo(left, bottom);
    for (int step = 1; step <= Steps; ++step) {
        stairs.lineTo(left + (step - 1) * stepWidth, bottom - step * stepHeight);
        stairs.lineTo(left + step * stepWidth, bottom - step * stepHeight);
    }
    stairs.lineTo(area.right(), top);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawPath(stairs);
}
