// Runs the fuzz target over saved inputs, for builds without libFuzzer:
// replay FILE_OR_DIRECTORY...
#include "framework/core/RegularFile.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
                if (entry.is_regular_file())
                    inputs.push_back(entry.path());
        } else {
            inputs.emplace_back(argv[i]);
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "replay: no inputs\n");
        return 2;
    }
    for (const auto& input : inputs) {
        const FileBytes file = ReadRegularFile(input.string());
        const std::string_view bytes = file.View();
        // An input that breaks an invariant aborts with its message.
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu inputs\n%zu passed, 0 failed\n", inputs.size(), inputs.size());
    return 0;
}
