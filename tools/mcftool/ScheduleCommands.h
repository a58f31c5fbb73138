#pragma once
// mcftool holidays: the events of an iCalendar file as special periods of
// yearly schedules in MCDEF. mcftool schedule: when a yearly schedule of
// MCDEF is On, at a time or over a stretch of time.

#include "CommandLine.h"

namespace mcftool {

extern const Verb HolidaysVerb;
extern const Verb ScheduleVerb;

} // namespace mcftool
