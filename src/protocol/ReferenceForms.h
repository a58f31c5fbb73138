#pragma once
// The three ways references travel, each with a read and a write command per
// direction: simple (automatic) references, parameter references, and the
// long multi-parameter form. An item is its running index, the controller's
// address, then the record bytes 6.. that the form carries: parameter bytes,
// and the identity checksum; read items hold the gateway's status byte
// between the two.

#include <array>
#include <cstddef>
#include <cstdint>

// Record bytes 6..39 of a reference: parameter (or 255 for a simple
// reference) and, for the multi-parameter form, the checksum at 32..33.
constexpr size_t ReferenceParameterBytes = 34;
using ReferenceParameters = std::array<uint8_t, ReferenceParameterBytes>;

struct ReferenceForm {
    uint8_t readCommand;
    uint8_t writeCommand;
    uint8_t direction;      // Direction::Input or Direction::Output
    uint8_t slotKind;       // the kind of slot that holds such references
    uint8_t parameterBytes; // record bytes 6.. before the status byte
    uint8_t checksumBytes;  // record bytes after them
    uint8_t maxWriteItems;
    uint8_t maxReadItems;

    size_t writeItemSize() const { return 2u + parameterBytes + checksumBytes; }
    size_t readItemSize() const { return writeItemSize() + 1; }
    size_t itemSize(uint8_t command) const { return command == readCommand ? readItemSize() : writeItemSize(); }
};

// The form a read or write command belongs to; null for other commands.
const ReferenceForm* FindReferenceForm(uint8_t command);
// The form of a direction's slots of a kind; null for another kind.
const ReferenceForm* FindSlotForm(int direction, uint8_t slotKind);
// The write command for a reference of a direction: simple when it names no
// parameter (first byte 255), parameter when it has no multi-parameter
// checksum (bytes 32..33 zero), else multi-parameter.
uint8_t WriteCommandFor(int direction, const uint8_t* parameters);

struct ReferenceItemFields {
    uint8_t index = 0;
    uint8_t address = 0;
    ReferenceParameters parameters{}; // a simple reference reads as 255, 255, 255
    uint8_t status = 0;               // read items only
};

// The item at `at` of a telegram of `command`.
ReferenceItemFields ReadReferenceItem(const uint8_t* at, const ReferenceForm& form, uint8_t command);
// Lays an item out at `at` for a telegram of `command`.
void WriteReferenceItem(uint8_t* at, const ReferenceForm& form, uint8_t command, const ReferenceItemFields& item);
