#include "framework/gui/Application.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

namespace {

// The offscreen platform's one screen, WIDTHxHEIGHT from
// STOCKPICKER_TEST_SCREEN, by default the size the end-to-end tests' X
// server has; Qt's own default, 800x600, is smaller than the window's layout.
std::string ScreenConfigFile()
{
    const char* size = std::getenv("STOCKPICKER_TEST_SCREEN");
    int width = 1280;
    int height = 1024;
    const auto parse = [](std::string_view text, int& value) {
        const char* const end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, value);
        return error == std::errc() && stop == end;
    };
    if (size != nullptr) {
        const std::string_view text(size);
        const std::size_t x = text.find('x');
        if (x == std::string_view::npos || !parse(text.substr(0, x), width) || !parse(text.substr(x + 1), height)) {
            std::fprintf(stderr, "STOCKPICKER_TEST_SCREEN should be WIDTHxHEIGHT, not \"%s\"\n", size);
            std::exit(2);
        }
    }
    const auto file = std::filesystem::temp_directory_path() /
                      ("stockpicker-screen-" + std::to_string(::getpid()) + ".json");
    std::ofstream(file) << R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": )" << width << R"(, "height": )"
                        << height << R"(, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    return file.string();
}

}  // namespace

// GUI tests run in-process on Qt's offscreen platform unless told otherwise.
int main(int argc, char** argv)
{
    const std::string screen = ScreenConfigFile();
    const bool chosenHere = std::getenv("QT_QPA_PLATFORM") == nullptr;
    if (chosenHere)
        ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).c_str(), 1);
    Application->Initialize();
    // Read by now; a test that runs itself again makes its own.
    std::filesystem::remove(screen);
    if (chosenHere)
        ::unsetenv("QT_QPA_PLATFORM");
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    Application->Finalize();
    return status;
}
