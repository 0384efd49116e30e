// What adding items to a drop-down list costs, on Qt's offscreen platform:
// ITEMS items added one Add at a time, then the event loop run once, so
// that the views hear of them; and ITEMS more taken by AddStrings into a
// list that already has items, which adds them one by one too. Each the
// median of REPEATS runs.
// Usage: item_list_bench [ITEMS [REPEATS]]   (default 1000000 items, 5 runs)
// Prints one "name: value" line per figure.

#include "framework/core/ByteString.h"
#include "framework/core/TStringList.h"
#include "framework/gui/Application.h"
#include "framework/gui/StdCtrls.h"

#include <QApplication>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> figures)
{
    std::sort(figures.begin(), figures.end());
    return figures[figures.size() / 2];
}

// Texts that differ, as a list's do.
std::vector<ByteString> Texts(int items)
{
    std::vector<ByteString> texts;
    texts.reserve(static_cast<std::size_t>(items));
    for (int i = 0; i < items; ++i)
        texts.emplace_back(std::to_string(100000 + i % 900000) + "   Samsung Electronics");
    return texts;
}

double AddOneByOne(const std::vector<ByteString>& texts)
{
    TComboBox combo(nullptr);
    const Clock::time_point start = Clock::now();
    for (const ByteString& text : texts)
        combo.Items->Add(text);
    QApplication::processEvents();
    return MillisecondsSince(start);
}

double AddStringsToAList(const std::vector<ByteString>& texts)
{
    TComboBox combo(nullptr);
    combo.Items->Add("000020   Dongwha Pharm");
    QApplication::processEvents();
    TStringList more;
    for (const ByteString& text : texts)
        more.Add(text);
    const Clock::time_point start = Clock::now();
    combo.Items->AddStrings(std::move(more));
    QApplication::processEvents();
    return MillisecondsSince(start);
}

// The positive number `text` says, or `fallback` for none; exits with a
// message for anything else.
int PositiveArgument(const char* text, int fallback)
{
    if (text == nullptr)
        return fallback;
    const std::string_view view(text);
    int value = 0;
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (error != std::errc() || end != view.data() + view.size() || value < 1) {
        std::fprintf(
            stderr, "item_list_bench: '%s' is not a positive number\nUsage: item_list_bench [ITEMS] [REPEATS]\n", text);
        std::exit(2);
    }
    return value;
}

}  // namespace

int main(int argc, char** argv)
{
    const int items = PositiveArgument(argc > 1 ? argv[1] : nullptr, 1000000);
    const int repeats = PositiveArgument(argc > 2 ? argv[2] : nullptr, 5);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Application->Initialize();
    const std::vector<ByteString> texts = Texts(items);
    std::vector<double> oneByOne;
    std::vector<double> addStrings;
    for (int run = 0; run < repeats; ++run) {
        oneByOne.push_back(AddOneByOne(texts));
        addStrings.push_back(AddStringsToAList(texts));
    }
    std::printf("items: %d\n", items);
    std::printf("add_one_by_one_ms: %.1f\n", Median(oneByOne));
    std::printf("add_strings_to_a_list_ms: %.1f\n", Median(addStrings));
    Application->Finalize();
    return 0;
}
