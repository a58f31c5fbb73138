#pragma once
// The codes a gateway answers with: the status of a write, start, stop or
// delete, the flags of a function (also kept in the header record's byte 28),
// and the status of one reference item.

#include <cstddef>
#include <cstdint>
#include <string>

// A gateway holds functions 1..105, each with a name of at most 16 characters.
constexpr int MaxFunctionNumber = 105;
constexpr size_t FunctionNameLength = 16;

namespace GatewayStatus {
enum : uint8_t {
    Accepted = 0,
    MemoryFull = 1,
    TypeLimitReached = 2,
    BadRequest = 3,   // a telegram the gateway cannot take (length, slot, block, count)
    NotStartable = 4, // a passive type is always active
    StampChanged = 16, // another user changed the function
    TypeDiffers = 32,  // the function has another type in the gateway
    NoSuchFunction = 255,
};
}

// What a gateway status means, for logs and tool messages.
constexpr const char* GatewayStatusMeaning(uint8_t status)
{
    switch (status) {
    case GatewayStatus::Accepted: return "accepted";
    case GatewayStatus::MemoryFull: return "the gateway's memory is full";
    case GatewayStatus::TypeLimitReached: return "the gateway holds as many functions of the type as it may";
    case GatewayStatus::BadRequest: return "a request the gateway cannot take";
    case GatewayStatus::NotStartable: return "a function of a type that cannot be started or stopped";
    case GatewayStatus::StampChanged: return "changed by another user";
    case GatewayStatus::TypeDiffers: return "the function has another type in the gateway";
    case GatewayStatus::NoSuchFunction: return "no such function in the gateway";
    default: return "unknown status";
    }
}

// "return code 3 (a request the gateway cannot take)", for tool messages and logs.
inline std::string GatewayStatusText(uint8_t status)
{
    return "return code " + std::to_string(status) + " (" + GatewayStatusMeaning(status) + ")";
}

namespace FunctionFlag {
enum : uint8_t {
    Manual = 0x01,
    ErrorMark = 0x02,
    Started = 0x04,
    ReferenceErrorMark = 0x08, // a reference of the function is in error
    NothingFurther = 0x10,     // header answers: the header is all there is to read
};
constexpr uint8_t ErrorMarks = ErrorMark | ReferenceErrorMark;
} // namespace FunctionFlag

namespace ItemStatus {
enum : uint8_t {
    NoAnswer = 0x02,     // the controller does not answer / the schedule is missing
    TypeConflict = 0x08,
};
}
