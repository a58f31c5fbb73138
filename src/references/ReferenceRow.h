#pragma once
// The data behind one row of a reference list, and the constant row of an
// editor's reference group.

#include <array>
#include <cstdint>
#include <string>

class IOList;

// Status flags A (low byte) and B (high byte) of a reference, as the upload's
// check sets them in record bytes 4 and 5.
namespace ReferenceFlag {
enum : uint16_t {
    ControllerNotFound = 0x0001,   // "QEB not found or unknown type."
    NoDescription = 0x0002,        // "No QEB description:"
    NoParameterInGateway = 0x0004, // "Parameter does not exist (MCB)."
    NoParameter = 0x0008,          // "Parameter does not exist."
    NeedsApproval = 0x0010,        // "Parameter needs approval."
    NotDefined = 0x0080,           // a "Not defined" row of the selection dialog
    CommunicationError = 0x0100,
    TypeConflict = 0x0200,
};
}

namespace ReferenceStatus {
enum : uint32_t { Valid = 0, Warning = 1, Error = 2 };
}

// Parameter numbers 255/255/255: the parameter is selected automatically.
constexpr uint8_t AutomaticParameter = 255;

struct ReferenceRow {
    uint16_t flags = 0;
    uint8_t par1 = 0, par2 = 0, par3 = 0;
    uint8_t parameterClass = 0;
    std::string address;     // three digits
    std::string idCode;      // up to 16 characters
    std::string ident;       // up to 13
    std::string defaultText; // up to 31
    std::string customText;  // up to 31
    std::string message;     // up to 40
    std::string descKey;     // up to 13
    uint8_t nodeKind = 0;
    uint32_t status = ReferenceStatus::Valid;

    bool automatic() const { return par1 == AutomaticParameter; }
    // Of the address and, unless addressOnly, of the parameter numbers.
    bool refersTo(const std::string& otherAddress, uint8_t p1, uint8_t p2, uint8_t p3, bool addressOnly) const
    {
        return address == otherAddress && (addressOnly || (par1 == p1 && par2 == p2 && par3 == p3));
    }
};

// Address (4 bytes, the three digits and a NUL) and the three parameter numbers.
using RowKey = std::array<uint8_t, 7>;

// One reference list of an editor: which slots it feeds and which controls
// belong to it. Each editor keeps a constant table of these.
struct ReferenceGroup {
    IOList* list = nullptr;                 // filled in at run time
    uint8_t blockType = 0;                  // 1 input, 2 output
    std::array<uint8_t, 4> blockNumbers{};  // slots; the first 0 ends the list
    uint16_t groupBoxId = 0;                // its text names the group
    uint16_t iconId = 0;                    // shown by the selection dialog
    uint16_t buttonId = 0;                  // the group's ">> &Input.." or "&Output >>.." button
};
