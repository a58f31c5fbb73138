// The plant description reader on arbitrary text: every description is
// either taken or refused with a reason, nothing else.

#include "PlantBuilder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);
    if (const auto error = CheckPlantDescription(content, "plant.json"); error && error->reason.empty())
        std::abort();
    return 0;
}
