#pragma once
// The schedules a function follows, read from the schedule reference records
// of one slot without any list: the schedule list of the editors shows them,
// the report prints them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Reference status of a schedule reference (record byte 4).
namespace ScheduleStatus {
constexpr uint8_t GatewayReported = 0x01;
constexpr uint8_t UnknownFunction = 0x20;
constexpr uint8_t NotASchedule = 0x40;
} // namespace ScheduleStatus

struct ScheduleRow {
    uint8_t schedule = 0; // function number of the schedule (record byte 3)
    uint8_t status = 0;   // reference status
    // The schedule's name; nothing when the status marks the schedule unknown
    // or not a schedule, or when MCDEF has no header for it.
    std::optional<std::string> name;
};

// The text id of the message a reference status gives; 0 for status 0.
uint16_t ScheduleStatusText(uint8_t status);

// The rows of the records {number, 3, slot, *} in key order, each with the
// name from its schedule's header; 0, or the status of a failed read of MCDEF
// (a missing header is not a failure).
uint16_t ReadScheduleRows(uint8_t functionNumber, uint8_t slot, std::vector<ScheduleRow>& rows);
