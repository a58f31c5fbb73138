// The profile rules on arbitrary text: the keys the program reads, and the
// one key it writes, which must read back as written with every other key
// unchanged.

#include "support/Profile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);
    // Each lookup reads the whole text again; one per section is enough to find a fault of the reader.
    ProfileValue(content, "Connection", "Server");
    ProfileValue(content, "QEBCtrl", "TxtMode");

    const std::optional<std::string> before = ProfileValue(content, "Install", "DATADir");
    const std::string written = ProfileWithValue(content, "QEBCtrl", "TxtMode", "1");
    if (ProfileValue(written, "QEBCtrl", "TxtMode") != "1")
        std::abort();
    if (ProfileValue(written, "Install", "DATADir") != before)
        std::abort();
    return 0;
}
