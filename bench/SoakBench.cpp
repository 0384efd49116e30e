// Many reloads of the stock picker window, on Qt's offscreen platform, each
// clicked as soon as the buttons allow, alternately "omast.dat" and
// "fmast.dat", with a code or a name's start typed into the box while the
// list loads: whether resident memory creeps up from the 100th reload to the
// last, the event loop's longest gap over them all, the slowest reload and
// whether the kept keys pick a stock every time. "omast.dat" holds every
// other line of "fmast.dat", so that the two lists differ and every text
// typed is in both.
// Usage: soak_bench [LINES | MASTER_FILE] [RELOADS]   (default 1000000 generated lines, 1000 reloads)
// An even count ends on "fmast.dat", as the 100th reload does.
// Prints one "name: value unit" line per figure.

#include "FormWaits.h"
#include "LoopGaps.h"
#include "app/Unit1.h"
#include "framework/gui/Application.h"
#include "genmaster/MasterGenerator.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <time.h>
#include <unistd.h>

namespace {

// Handles events until the process is idle: the index build and the release
// of the replaced list have ended.
void UntilIdle()
{
    UntilIdleMs(Clock::now(), HandleEvents::Yes);
}

double ResidentMiB()
{
    std::ifstream status("/proc/self/status");
    constexpr std::string_view field = "VmRSS:";
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field))
            return static_cast<double>(std::strtoull(line.c_str() + field.size(), nullptr, 10)) / 1024;
    return 0;
}

void Print(const char* name, double value, const char* unit)
{
    std::printf("%s: %.3f %s\n", name, value, unit);
}

void WriteGenerated(const std::filesystem::path& path, std::uint64_t lines)
{
    MasterGenerator generator({.lines = lines});
    std::ofstream out(path, std::ios::binary);
    std::string text;
    for (std::uint64_t i = 0; i < lines; ++i) {
        generator.AppendLine(text);
        if (text.size() >= (std::size_t{1} << 20)) {
            out << text;
            text.clear();
        }
    }
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \r") + 1 - first);
}

bool PrintableAscii(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

// What a user types for the stock on `line`: its code, and its name's first
// letters when they are ASCII (a code of 9 columns, then the name).
void AddTexts(std::string_view line, std::vector<QString>& texts)
{
    const std::string_view code = Trimmed(line.substr(0, 9));
    if (PrintableAscii(code) && code.find(' ') == std::string_view::npos)
        texts.push_back(QString::fromLatin1(code.data(), static_cast<qsizetype>(code.size())));
    if (line.size() <= 9)
        return;
    const std::string_view name = Trimmed(line.substr(9, 8));
    if (name.size() >= 3 && PrintableAscii(name))
        texts.push_back(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

// Writes every other line of `from` to `to`, the first included, and
// returns texts to type from some of them.
std::vector<QString> WriteEveryOtherLine(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    std::vector<QString> texts;
    std::uint64_t number = 0;
    for (std::string line; std::getline(in, line); ++number) {
        if (number % 2 != 0)
            continue;
        out << line << '\n';
        // Spread over the file, and few: each reload types the next one.
        if (number % 1024 == 0 && texts.size() < 64)
            AddTexts(line, texts);
    }
    if (!out)
        throw std::runtime_error("cannot write " + to.string());
    return texts;
}

void Type(QWidget& box, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&box, &press);
    }
}

// Whether the box's pick is a stock `typed` finds: its code starts with it,
// or its name holds it.
bool PickHolds(const QComboBox& box, const QString& typed)
{
    const int row = Form1->ComboBox1->ItemIndex();
    const std::string copy(Form1->ComboBox1->ItemCopyText(row).View());
    const QString code = QString::fromStdString(copy.substr(0, copy.find('\t')));
    const QString name = box.model()->index(row, 0).data(Qt::DisplayRole).toString();
    return code.startsWith(typed) || name.contains(typed, Qt::CaseInsensitive);
}

int ReloadCount(const char* text)
{
    char* end = nullptr;
    const long count = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || count < 1 || count > 1000000)
        throw std::invalid_argument(std::string("not a reload count from 1 to 1000000: ") + text);
    return static_cast<int>(count);
}

int RunBench(int argc, char** argv)
{
    const std::string argument = argc > 1 ? argv[1] : "1000000";
    const int reloads = argc > 2 ? ReloadCount(argv[2]) : 1000;
    const auto dir = std::filesystem::temp_directory_path() / ("stockpicker-soak-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    if (std::filesystem::exists(argument))
        std::filesystem::create_symlink(std::filesystem::absolute(argument), dir / "fmast.dat");
    else
        WriteGenerated(dir / "fmast.dat", std::strtoull(argument.c_str(), nullptr, 10));
    const std::vector<QString> texts = WriteEveryOtherLine(dir / "fmast.dat", dir / "omast.dat");
    if (texts.empty())
        throw std::runtime_error("no code or name to type in " + argument);
    std::filesystem::current_path(dir);

    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    Application->CreateForm(Form1);
    Form1->Show();
    QApplication::processEvents();
    WaitForLoad();
    UntilIdle();
    QApplication::setActiveWindow(Form1->Widget());
    auto& box = *static_cast<QComboBox*>(Form1->ComboBox1->Widget());
    box.setFocus();

    const int measuredAfter = std::min(reloads, 100);
    double residentAtMeasured = 0;
    double residentAtLast = 0;
    double slowestMs = 0;
    std::vector<double> reloadMs;
    reloadMs.reserve(static_cast<std::size_t>(reloads));
    int withoutPick = 0;
    int wrongPick = 0;
    int typedAfterLoad = 0;
    LoopGaps gaps;
    const Clock::time_point soakStart = Clock::now();
    gaps.Start();
    for (int reload = 1; reload <= reloads; ++reload) {
        TBitBtn& button = reload % 2 != 0 ? *Form1->BitBtn1 : *Form1->BitBtn2;
        const QString& text = texts[static_cast<std::size_t>(reload - 1) % texts.size()];
        const Clock::time_point click = Clock::now();
        // A click takes the focus, which ends the search typed before; the
        // load then hands the focus to the box.
        button.SetFocus();
        button.Click();
        Type(box, text);
        if (!LoadRunning())
            ++typedAfterLoad;
        WaitForLoad();
        WaitForSearch();
        Settle();  // the kept keys are answered once the list's search is made
        const double ms = MsSince(click);
        reloadMs.push_back(ms);
        slowestMs = std::max(slowestMs, ms);
        if (Form1->ComboBox1->ItemIndex() < 0)
            ++withoutPick;
        else if (!PickHolds(box, text))
            ++wrongPick;
        if (reload == measuredAfter || reload == reloads) {
            // At the same point each time: the indexes built, the replaced
            // list freed, nothing running.
            WaitWhileBusy();
            UntilIdle();
            const double resident = ResidentMiB();
            if (reload == measuredAfter)
                residentAtMeasured = resident;
            if (reload == reloads)
                residentAtLast = resident;
        }
    }
    const double longestGapMs = gaps.StopMs();
    const double soakSeconds = MsSince(soakStart) / 1e3;
    std::sort(reloadMs.begin(), reloadMs.end());

    Print("reloads", reloads, "");
    Print("soak duration", soakSeconds, "s");
    Print(("resident after reload " + std::to_string(measuredAfter)).c_str(), residentAtMeasured, "MiB");
    Print("resident after the last reload", residentAtLast, "MiB");
    Print(("resident growth from reload " + std::to_string(measuredAfter) + " to the last").c_str(),
          (residentAtLast - residentAtMeasured) * 100 / residentAtMeasured, "%");
    Print("the event loop's longest gap over the soak", longestGapMs, "ms");
    Print("median reload, click until the keys typed meanwhile are answered", reloadMs[reloadMs.size() / 2], "ms");
    Print("slowest reload, click until the keys typed meanwhile are answered", slowestMs, "ms");
    Print("reloads without a pick", withoutPick, "");
    Print("reloads whose pick does not hold the keys", wrongPick, "");
    if (typedAfterLoad > 0)
        std::fprintf(stderr, "soak_bench: %d reloads had ended before their keys were typed\n", typedAfterLoad);

    Form1->Close();
    Application->Finalize();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return RunBench(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "soak_bench: %s\n", e.what());
        return 1;
    }
}
