// Feeds every file of the given folders (and every file given by name) to a
// fuzz harness once, as the normal test suite replays the kept corpus and the
// inputs that once crashed. A crash of the harness fails the test.

#include "support/RegularFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// Larger than any input the fuzzers are run with.
constexpr uint64_t MaxInputSize = 1 << 20;

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        if (std::filesystem::is_directory(argv[i], ec)) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
                if (entry.path().filename().string()[0] != '.')
                    files.push_back(entry.path().string());
        } else {
            files.push_back(argv[i]);
        }
    }
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        FileProblem problem = FileProblem::None;
        const std::optional<std::string> content = ReadRegularFile(file, MaxInputSize, &problem);
        if (!content) {
            std::cerr << DescribeFileProblem(file, problem, MaxInputSize) << "\n";
            return 1;
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(content->data()), content->size());
    }
    std::cout << "replayed " << files.size() << " inputs\n";
    return files.empty() ? 1 : 0;
}
