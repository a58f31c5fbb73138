#include "editors/schedule/ScheduleWeekView.h"

#include <QPainter>

namespace {

constexpr uint32_t SecondsPerDay = 86400;
constexpr int RowHeight = 14;
constexpr int RowGap = 2;

const QColor WeeklyOnColour(60, 160, 60);
const QColor ForcedOnColour(230, 150, 0);
const QColor ForcedOffColour(120, 150, 210);
const QColor OffColour(245, 245, 245);

QColor colourOf(const ScheduleState& state)
{
    if (state.cause == ScheduleCause::Special)
        return state.on ? ForcedOnColour : ForcedOffColour;
    return state.on ? WeeklyOnColour : OffColour;
}

} // namespace

ScheduleWeekView::ScheduleWeekView(QWidget* parent)
    : QWidget(parent)
    , m_dayNames{"Mon", "Tue", "Wed", "Thur", "Fri", "Sat", "Sun"}
{
    evaluate();
}

void ScheduleWeekView::setTexts(const QStringList& dayNames, const QStringList& legend)
{
    m_dayNames = dayNames;
    m_legend = legend;
    update();
}

void ScheduleWeekView::setSchedule(const ScheduleDefinition& schedule)
{
    m_schedule = schedule;
    evaluate();
}

void ScheduleWeekView::showWeekOf(uint32_t day)
{
    const uint32_t midnight = day - day % SecondsPerDay;
    m_monday = midnight - uint32_t(WeekdayOf(midnight)) * SecondsPerDay;
    evaluate();
}

void ScheduleWeekView::evaluate()
{
    for (size_t day = 0; day < m_days.size(); ++day) {
        const uint32_t start = m_monday + uint32_t(day) * SecondsPerDay;
        m_days[day] = ScheduleSegments(m_schedule, start, start + SecondsPerDay);
    }
    update();
}

QSize ScheduleWeekView::minimumSizeHint() const
{
    const int text = fontMetrics().height();
    return {400, text + 7 * (RowHeight + RowGap) + text + 6};
}

QSize ScheduleWeekView::sizeHint() const { return {680, minimumSizeHint().height()}; }

void ScheduleWeekView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    int captionWidth = 0;
    for (const QString& name : m_dayNames)
        captionWidth = std::max(captionWidth, metrics.horizontalAdvance(name));
    const int left = captionWidth + 8;
    const int top = metrics.height() + 2;
    const int width = std::max(1, this->width() - left - metrics.horizontalAdvance("24") / 2 - 2);
    const auto x = [&](uint32_t secondsOfDay) { return left + int(int64_t(secondsOfDay) * width / SecondsPerDay); };

    for (int hour = 0; hour <= 24; hour += 3) {
        const int at = x(uint32_t(hour) * 3600);
        const QString label = QString::number(hour);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(at - metrics.horizontalAdvance(label) / 2, metrics.ascent(), label);
    }
    for (size_t day = 0; day < m_days.size(); ++day) {
        const int y = top + int(day) * (RowHeight + RowGap);
        painter.setPen(palette().color(QPalette::WindowText));
        if (int(day) < m_dayNames.size())
            painter.drawText(QRect(0, y, captionWidth + 4, RowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             m_dayNames[int(day)]);
        const uint32_t midnight = m_monday + uint32_t(day) * SecondsPerDay;
        for (const ScheduleSegment& segment : m_days[day]) {
            const int from = x(segment.start - midnight);
            const int to = x(segment.end - midnight);
            painter.fillRect(QRect(from, y, std::max(1, to - from), RowHeight), colourOf(segment.state));
        }
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(QRect(left, y, width, RowHeight - 1));
    }
    painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DotLine));
    for (int hour = 3; hour < 24; hour += 3)
        painter.drawLine(x(uint32_t(hour) * 3600), top, x(uint32_t(hour) * 3600), top + 7 * (RowHeight + RowGap) - RowGap);

    int legendX = left;
    const int legendY = top + 7 * (RowHeight + RowGap) + 2;
    const QColor colours[] = {WeeklyOnColour, ForcedOnColour, ForcedOffColour};
    for (int i = 0; i < m_legend.size() && i < 3; ++i) {
        painter.fillRect(QRect(legendX, legendY + 2, 12, metrics.height() - 4), colours[i]);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(legendX + 16, legendY + metrics.ascent(), m_legend[i]);
        legendX += 16 + metrics.horizontalAdvance(m_legend[i]) + 20;
    }
}
