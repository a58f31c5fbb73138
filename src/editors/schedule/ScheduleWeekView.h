#pragma once
// The week picture of the yearly schedule editor: seven rows of 24 hours,
// Monday first, painted from the schedule's evaluation (ScheduleEvaluation.h):
// On by a weekly period, forced On and forced Off by a special period each in
// their own colour, Off left blank.

#include "editors/schedule/ScheduleEvaluation.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <vector>

class ScheduleWeekView : public QWidget {
    Q_OBJECT

public:
    explicit ScheduleWeekView(QWidget* parent = nullptr);

    // The row captions ("Mon" .. "Sun") and the legend's three texts.
    void setTexts(const QStringList& dayNames, const QStringList& legend);
    void setSchedule(const ScheduleDefinition& schedule);
    // The week that begins on the Monday of `day` (calendar seconds).
    void showWeekOf(uint32_t day);
    uint32_t monday() const { return m_monday; }

    // What each row shows, Monday first: the stretches of its day.
    const std::array<std::vector<ScheduleSegment>, 7>& days() const { return m_days; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void evaluate();

    ScheduleDefinition m_schedule;
    uint32_t m_monday = 0;
    std::array<std::vector<ScheduleSegment>, 7> m_days;
    QStringList m_dayNames;
    QStringList m_legend;
};
