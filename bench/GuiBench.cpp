// What a user of the stock picker window waits for with a large "fmast.dat",
// on Qt's offscreen platform: the first frame, the load beside it, opening
// the list, End, Home and PageDown, each kind of find, copy, tooltip and a
// reload; Escape and closing during a reload, until the process is idle;
// and the memory a line costs, beside what the load was admitted with.
// With --gaps, only the event loop's longest gaps as the list first shows
// and over a reload.
// Usage: gui_bench [LINES | MASTER_FILE] [--gaps]   (default 1000000 generated lines)
// Prints one "name: value" line per figure, for bench/run.sh to tabulate.

#include "FormWaits.h"
#include "LoopGaps.h"
#include "app/StockList.h"
#include "app/Unit1.h"
#include "framework/core/TextCodec.h"
#include "framework/gui/Application.h"
#include "genmaster/MasterGenerator.h"
#include "stockdata/LoadAdmission.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <time.h>
#include <unistd.h>

namespace {

double Milliseconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Notes that a widget has been sent a paint event.
class PaintSeen : public QObject {
public:
    bool seen = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        seen = seen || event->type() == QEvent::Paint;
        return false;
    }
};

// With the list full and its indexes ready, clicks "omast.dat" and presses
// Escape `delayMs` after the click, from another thread, as the X server
// takes a key while the window is busy: milliseconds from the key press
// until the process is idle, NaN when the load had ended by then. The
// Escape waits for whatever the click still does on the GUI thread.
double EscapeDuringReloadMs(QWidget& target, double delayMs)
{
    Form1->BitBtn1->Click();
    WaitWhileBusy();
    std::atomic<bool> pressed = false;
    Clock::time_point pressedAt;
    const Clock::time_point click = Clock::now();
    std::thread user([&] {
        std::this_thread::sleep_until(click + std::chrono::duration<double, std::milli>(delayMs));
        pressedAt = Clock::now();
        QCoreApplication::postEvent(&target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        pressed.store(true, std::memory_order_release);
    });
    Form1->BitBtn1->Click();
    while (!pressed.load(std::memory_order_acquire))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    user.join();
    const double idleMs = UntilIdleMs(pressedAt, HandleEvents::Yes);
    if (!LoadRunning() && Form1->ComboBox1->Items->Count() == 0)
        return idleMs;
    // The load had ended, and the index build that Escape leaves running was timed.
    std::fprintf(stderr, "gui_bench: Escape %.0f ms after the click came after the load\n", delayMs);
    return std::numeric_limits<double>::quiet_NaN();
}

// Milliseconds `action` takes, including the events it leaves to process.
template <class Action>
double Timed(Action&& action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    Settle();
    return Milliseconds(timer);
}

double KeyMs(QWidget& target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return Timed([&] {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&target, &press);
    });
}

// The slowest key of `text` typed into the closed box as one new search,
// each timed from its press until the pick it leads to has been painted.
double SlowestKeyMs(QWidget& box, const QString& text)
{
    Form1->ComboBox1->SetItemIndex(-1);
    // Every key of `text` belongs to one search, however slow a key; Escape
    // ends the one before.
    QApplication::setKeyboardInputInterval(60000);
    KeyMs(box, Qt::Key_Escape);
    double slowest = 0;
    for (const QChar c : text)
        slowest = std::max(slowest, Timed([&] {
                               QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                               QApplication::sendEvent(&box, &press);
                           }));
    return slowest;
}

// Mean milliseconds per key of the searches typing `text` makes, one for
// each longer start of it, each a new search; and what the whole text finds.
std::pair<double, int> FindMsPerKey(TComboBox& combo, const QString& text, int times)
{
    std::vector<TypedText> prefixes;
    for (qsizetype length = 1; length <= text.size(); ++length)
        prefixes.push_back({text.left(length).toStdString(), {}});
    int found = -1;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < times; ++i)
        for (const TypedText& prefix : prefixes)
            found = combo.FindItem(prefix, 0).index;
    return {Milliseconds(timer) / (times * static_cast<double>(prefixes.size())), found};
}

// The compatibility jamo of the initials of the Hangul syllables `name`
// starts with.
QString InitialsOf(const QString& name)
{
    static const QString jamo = QStringLiteral("ㄱㄲㄴㄷㄸㄹㅁㅂㅃㅅㅆㅇㅈㅉㅊㅋㅌㅍㅎ");
    QString initials;
    for (const QChar c : name) {
        if (c.unicode() < 0xAC00 || c.unicode() > 0xD7A3)
            break;
        initials += jamo[(c.unicode() - 0xAC00) / (21 * 28)];
    }
    return initials;
}

std::uint64_t StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field))
            return std::strtoull(line.c_str() + std::strlen(field) + 1, nullptr, 10);
    return 0;
}

void Print(const char* name, double value, const char* unit)
{
    std::printf("%s: %.3f %s\n", name, value, unit);
}

// A line run.sh adds to the master too: its name sorts last, and it alone
// holds the text typed to time a search that reads every name.
constexpr const char* RareLine = "999999   힣힣 Qvxjk Holdings\r\n";
constexpr const char* RareText = "Qvxjk";

// Milliseconds from a key typed as the list shows, `c`, until it has been
// answered, which waits for the list's search to be made; NaN when it was
// not answered with a pick.
double KeyTypedAsTheListShowsMs(QWidget& box, QChar c)
{
    Form1->ComboBox1->SetItemIndex(-1);
    if (!Form1->ComboBox1->TypingHeld())
        std::fprintf(stderr, "gui_bench: the search was made before the first key\n");
    const Clock::time_point typed = Clock::now();
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(&box, &press);
    WaitForSearch();
    Settle();  // the kept key is answered from the event loop
    const double ms = MsSince(typed);
    return Form1->ComboBox1->ItemIndex() >= 0 ? ms : std::numeric_limits<double>::quiet_NaN();
}

// The slowest key of `text`, as SlowestKeyMs times it, printed with whether
// the pick it led to is what `found` expects of the picked row's name.
template <class Found>
void PrintSlowestKey(QComboBox& box, const char* what, const QString& text, Found found)
{
    const double ms = SlowestKeyMs(box, text);
    const int row = Form1->ComboBox1->ItemIndex();
    const bool ok = row >= 0 && found(box.model()->index(row, 0).data(Qt::DisplayRole).toString());
    Print((std::string("slowest key, ") + what + (ok ? "" : " (NOT FOUND)")).c_str(), ms, "ms");
}

// The search's box, while one shows.
const QLabel* ShownSearch()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* label = qobject_cast<QLabel*>(window); label != nullptr && label->isVisible())
            return label;
    return nullptr;
}

// `text` typed into the open list: its slowest key until the narrowed list
// is painted, then until every match is counted, with the longest the event
// loop waited meanwhile, and Escape until the whole list is painted again.
// Memory is per line of the list, from `startKb`, what the process held
// before it.
void PrintNarrowing(QComboBox& box, const char* what, const QString& text, std::uint64_t startKb)
{
    QAbstractItemView& list = *box.view();
    const int lines = list.model()->rowCount();
    PaintSeen paint;
    list.viewport()->installEventFilter(&paint);
    const auto untilPainted = [&](auto&& action) {
        paint.seen = false;
        QElapsedTimer timer;
        timer.start();
        action();
        while (!paint.seen)
            QApplication::processEvents();
        return Milliseconds(timer);
    };
    double slowest = 0;
    QElapsedTimer sinceLast;
    for (const QChar c : text) {
        sinceLast.start();
        slowest = std::max(slowest, untilPainted([&] {
                               QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                               QApplication::sendEvent(&box, &press);
                           }));
    }
    const auto counting = [] {
        const QLabel* shown = ShownSearch();
        return shown != nullptr && shown->accessibleName().endsWith(QStringLiteral("still counting"));
    };
    double longestWait = 0;
    while (counting()) {
        QElapsedTimer turn;
        turn.start();
        QApplication::processEvents();
        longestWait = std::max(longestWait, Milliseconds(turn));
    }
    const double countedMs = Milliseconds(sinceLast);
    const std::uint64_t countedKb = StatusKb("VmRSS:");
    const int matches = list.model()->rowCount();
    const std::string name = what;
    Print(("narrowed, matches, " + name).c_str(), matches, "");
    Print(("narrowed, slowest key until painted, " + name).c_str(), slowest, "ms");
    Print(("narrowed, last key until all counted, " + name).c_str(), countedMs, "ms");
    Print(("narrowed, the event loop's longest wait while counting, " + name).c_str(), longestWait, "ms");
    Print(("narrowed, bytes per line once counted, " + name).c_str(),
          static_cast<double>(countedKb - startKb) * 1024 / std::max(lines, 1), "B");
    Print(("narrowed, Escape until the whole list is painted, " + name).c_str(), untilPainted([&] {
              QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
              QApplication::sendEvent(&box, &press);
          }),
          "ms");
    list.viewport()->removeEventFilter(&paint);
}

QString SwappedCase(QString text)
{
    for (QChar& c : text)
        c = c.isUpper() ? c.toLower() : c.toUpper();
    return text;
}

// The list's last stock's code.
std::string LastCode()
{
    const auto last = static_cast<int>(Form1->ComboBox1->Items->Count() - 1);
    const std::string copy(Form1->ComboBox1->ItemCopyText(last).View());
    return copy.substr(0, copy.find('\t'));
}

// The event loop's longest gaps, what keeps the window from answering: from
// the start until the window shows, from then until the list shows, from
// then until its search is made, then the slowest key of its last code
// typed at once; and over a reload clicked, Escape 0.2 s into it, another
// reload clicked and the window closed 0.2 s in.
void PrintGaps()
{
    LoopGaps gaps;
    // The window's creation and first painting are one stretch of the event
    // loop, before there is a window to answer for: told apart from what
    // follows, where a user waits on it.
    gaps.Start();
    Application->CreateForm(Form1);
    Form1->Show();
    QApplication::processEvents();
    Print("the event loop's longest gap, from the start until the window shows", gaps.StopMs(), "ms");
    gaps.Start();
    WaitForLoad();
    Settle();
    Print("the event loop's longest gap, from the window's showing until the list shows", gaps.StopMs(), "ms");
    gaps.Start();
    WaitForSearch();
    Print("the event loop's longest gap, from the list's showing until its search is made", gaps.StopMs(), "ms");
    auto& box = *static_cast<QComboBox*>(Form1->ComboBox1->Widget());
    Print("the slowest key of a code typed once the search is made",
          SlowestKeyMs(box, QString::fromStdString(LastCode())), "ms");
    UntilIdleMs(Clock::now(), HandleEvents::Yes);

    const auto processEventsFor = [](double ms) {
        QElapsedTimer timer;
        timer.start();
        while (Milliseconds(timer) < ms)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    };
    gaps.Start();
    Form1->BitBtn1->Click();
    processEventsFor(200);
    QApplication::setActiveWindow(Form1->Widget());
    box.setFocus();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&box, &escape);
    processEventsFor(300);
    Form1->BitBtn1->Click();
    processEventsFor(200);
    Print("the event loop's longest gap, a reload clicked, Escape, another reload clicked", gaps.StopMs(), "ms");
    Form1->Close();
    Application->Finalize();
}

int RunBench(int argc, char** argv)
{
    const std::string argument = argc > 1 ? argv[1] : "1000000";
    const auto dir = std::filesystem::temp_directory_path() / ("stockpicker-gui-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    if (std::filesystem::exists(argument)) {
        std::filesystem::create_symlink(std::filesystem::absolute(argument), dir / "fmast.dat");
    } else {
        const std::uint64_t lines = std::strtoull(argument.c_str(), nullptr, 10);
        MasterGenerator generator({.lines = lines});
        std::string text;
        for (std::uint64_t i = 0; i < lines; ++i)
            generator.AppendLine(text);
        text += RareLine;
        std::ofstream(dir / "fmast.dat", std::ios::binary) << text;
    }
    std::filesystem::current_path(dir);
    std::filesystem::create_symlink("fmast.dat", "omast.dat");
    const std::uint64_t startKb = StatusKb("VmRSS:");

    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QElapsedTimer sinceStart;
    sinceStart.start();
    Application->Initialize();
    if (argc > 2 && std::string_view(argv[2]) == "--gaps") {
        PrintGaps();
        std::filesystem::current_path("/");
        std::filesystem::remove_all(dir);
        return 0;
    }
    Application->CreateForm(Form1);
    PaintSeen paint;
    Form1->Widget()->installEventFilter(&paint);
    Form1->Show();
    while (!paint.seen)
        QApplication::processEvents();  // returns once that paint is done
    Print("first frame", Milliseconds(sinceStart), "ms");
    WaitForLoad();
    Print("load done", Milliseconds(sinceStart), "ms");
    Settle();
    const int rows = static_cast<int>(Form1->ComboBox1->Items->Count());
    Print("rows", rows, "");
    Print("bytes per line, once the list shows",
          static_cast<double>(StatusKb("VmRSS:") - startKb) * 1024 / std::max(rows, 1), "B");
    auto& box = *static_cast<QComboBox*>(Form1->ComboBox1->Widget());
    const int lastRow = rows - 1;
    const QString lastName = box.model()->index(lastRow, 0).data(Qt::DisplayRole).toString();
    const std::string lastCode = LastCode();
    Print("a key typed as the list shows, until it is answered",
          KeyTypedAsTheListShowsMs(box, QChar::fromLatin1(lastCode.front())), "ms");
    Print("search made", Milliseconds(sinceStart), "ms");
    // What a user types once it is, while the indexes are built: the last
    // name's start, the last code, the last Hangul name's initials.
    // Initials of the last Hangul name, found after a scan of nearly every
    // row.
    QString lastHangul;
    for (int row = lastRow; row >= 0 && lastHangul.isEmpty(); --row)
        lastHangul = InitialsOf(box.model()->index(row, 0).data(Qt::DisplayRole).toString());
    if (!Busy())
        std::fprintf(stderr, "gui_bench: the indexes were ready before the first keys\n");
    Print("slowest key of a name typed once the search is made", SlowestKeyMs(box, lastName.left(12)), "ms");
    Print("slowest key of a code typed once the search is made", SlowestKeyMs(box, QString::fromStdString(lastCode)),
          "ms");
    Print("slowest key of initials typed once the search is made", SlowestKeyMs(box, lastHangul), "ms");
    // Before the names' index is built, a search inside names reads them all.
    Print("slowest key inside the last name only, typed once the search is made",
          SlowestKeyMs(box, QString::fromLatin1(RareText)), "ms");
    if (!Busy())
        std::fprintf(stderr, "gui_bench: the indexes were ready before the last of the first keys\n");
    Form1->ComboBox1->SetItemIndex(-1);
    WaitWhileBusy();
    Print("indexes ready", Milliseconds(sinceStart), "ms");
    // Each kind of search, typed into the closed box once every index is
    // built. The last Latin name's start and what it is read as.
    QString lastLatin;
    for (int row = lastRow; row >= 0 && lastLatin.isEmpty(); --row)
        if (const QString name = box.model()->index(row, 0).data(Qt::DisplayRole).toString();
            !name.isEmpty() && name.front().unicode() < 0x80 && name.front().isLetter())
            lastLatin = name.left(12);
    PrintSlowestKey(box, "a name's start", lastLatin, [&](const QString& name) { return name.startsWith(lastLatin); });
    PrintSlowestKey(box, "a name's start in the other case", SwappedCase(lastLatin),
                    [&](const QString& name) { return name.startsWith(lastLatin, Qt::CaseInsensitive); });
    PrintSlowestKey(box, "inside many names (전자)", QStringLiteral("전자"),
                    [](const QString& name) { return name.contains(QStringLiteral("전자")); });
    PrintSlowestKey(box, "inside the last name only", QString::fromLatin1(RareText),
                    [](const QString& name) { return name.contains(QString::fromLatin1(RareText)); });
    PrintSlowestKey(box, "Latin keys read as Hangul (tkatjd)", QStringLiteral("tkatjd"),
                    [](const QString& name) { return name.contains(QStringLiteral("삼성")); });
    Print("bytes per line, with every index",
          static_cast<double>(StatusKb("VmRSS:") - startKb) * 1024 / std::max(rows, 1), "B");
    Print("bytes per line, at the peak", static_cast<double>(StatusKb("VmHWM:") - startKb) * 1024 / std::max(rows, 1),
          "B");
    // What the load was admitted with, beside the peak it is to hold: a
    // regular file is not held in memory while it is read.
    const std::uint64_t estimate = LoadBytesNeeded(static_cast<std::size_t>(rows), 0,
                                                   ListLoad().limits.callerBytesPerLine);
    Print("bytes per line, the admission's estimate of the peak", static_cast<double>(estimate) / std::max(rows, 1),
          "B");

    box.setFocus();
    Print("End in the closed box", KeyMs(box, Qt::Key_End), "ms");
    Print("Home in the closed box", KeyMs(box, Qt::Key_Home), "ms");
    KeyMs(box, Qt::Key_Escape);  // ends the search in the box, which the list would go on with
    Print("list open", Timed([] { Form1->ComboBox1->SetDroppedDown(true); }), "ms");
    // The box keeps the keyboard focus while its list is open and hands the
    // list its keys.
    QAbstractItemView& list = *box.view();
    Print("End in the open list", KeyMs(box, Qt::Key_End), "ms");
    Print("Home in the open list", KeyMs(box, Qt::Key_Home), "ms");
    Print("PageDown in the open list", KeyMs(box, Qt::Key_PageDown), "ms");
    // The open list narrowed to a text most names hold, about a thousandth
    // of them, and one.
    QApplication::setKeyboardInputInterval(60000);
    PrintNarrowing(box, "most names (a)", QStringLiteral("a"), startKb);
    PrintNarrowing(box, "about a thousandth (Celltrion Bio)", QStringLiteral("Celltrion Bio"), startKb);
    PrintNarrowing(box, "one", QString::fromLatin1(RareText), startKb);

    // Typing the last name's first letters into the open list: the search,
    // the current row and scrolling to it, as a key press does.
    constexpr int finds = 20;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < finds; ++i) {
        list.scrollToTop();
        for (const QChar c : lastName.left(12)) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&box, &press);
        }
        // Every find a new search: Escape ends the one in the open list.
        if (i + 1 < finds) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&box, &escape);
        }
    }
    const bool nameFound = list.currentIndex().isValid() &&
                           list.currentIndex().data().toString().startsWith(lastName.left(12));
    Print(nameFound ? "find by name, a key (found)" : "find by name, a key (NOT FOUND)",
          Milliseconds(timer) / (finds * static_cast<double>(std::min<qsizetype>(12, lastName.size()))), "ms");
    Form1->ComboBox1->SetDroppedDown(false);
    Settle();

    const auto [codeMs, codeRow] = FindMsPerKey(*Form1->ComboBox1, QString::fromStdString(lastCode), finds);
    const bool codeFound = codeRow >= 0 && Form1->ComboBox1->ItemCopyText(codeRow).View().starts_with(lastCode + "\t");
    Print(codeFound ? "find by code, a key (found)" : "find by code, a key (NOT FOUND)", codeMs, "ms");

    // The last Hangul name's initials, and initials no name has, a whole scan.
    const auto [initialsMs, initialsRow] = FindMsPerKey(*Form1->ComboBox1, lastHangul, 3);
    const bool initialsFound = initialsRow >= 0 &&
                               InitialsOf(box.model()->index(initialsRow, 0).data().toString()).startsWith(lastHangul);
    Print(initialsFound ? "find by initials, a key (found)" : "find by initials, a key (NOT FOUND)", initialsMs, "ms");
    const auto [noMatchMs, noMatchRow] = FindMsPerKey(*Form1->ComboBox1, QStringLiteral("ㅃ"), 3);
    Print(noMatchRow < 0 ? "find by initials no name has (whole scan)" : "find by initials no name has (FOUND)",
          noMatchMs, "ms");

    Form1->ComboBox1->SetItemIndex(lastRow);
    Print("copy", KeyMs(box, Qt::Key_C, Qt::ControlModifier), "ms");
    Print("tooltip", Timed([&] {
              QHelpEvent help(QEvent::ToolTip, box.rect().center(), box.mapToGlobal(box.rect().center()));
              QApplication::sendEvent(&box, &help);
          }),
          "ms");

    timer.restart();
    Form1->BitBtn1->Click();
    WaitForLoad();
    Print("reload done", Milliseconds(timer), "ms");

    // Escape halfway through a reload: until the load's threads have ended.
    const double reloadMs = Milliseconds(timer);
    Form1->BitBtn1->Click();
    timer.restart();
    while (Milliseconds(timer) < reloadMs / 2)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::setActiveWindow(Form1->Widget());
    box.setFocus();
    Print("Escape during a reload, until it has ended", KeyMs(box, Qt::Key_Escape), "ms");
    if (LoadRunning())
        std::fprintf(stderr, "gui_bench: Escape did not end the load\n");
    UntilIdleMs(Clock::now(), HandleEvents::Yes);  // each figure below starts from an idle process

    // The end-to-end test presses Escape 0.2 s after the click; at 30M lines
    // the click still releases the list before it then.
    Print("Escape 0.1 s into a reload, until the process is idle", EscapeDuringReloadMs(box, 100), "ms");
    Print("Escape 0.2 s into a reload, until the process is idle", EscapeDuringReloadMs(box, 200), "ms");
    Print("Escape halfway through a reload, until the process is idle", EscapeDuringReloadMs(box, reloadMs / 2), "ms");

    // Closing the window halfway through a reload: the loop would return and
    // the forms be torn down.
    Form1->BitBtn1->Click();
    WaitWhileBusy();
    Form1->BitBtn1->Click();
    timer.restart();
    while (Milliseconds(timer) < reloadMs / 2)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const bool loadingAtClose = LoadRunning();
    const Clock::time_point closed = Clock::now();
    Form1->Close();
    Application->Finalize();
    Print("closing the window halfway through a reload, until the process is idle",
          UntilIdleMs(closed, HandleEvents::No), "ms");
    if (!loadingAtClose)
        std::fprintf(stderr, "gui_bench: the reload had ended before the window closed\n");

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
        std::fprintf(stderr, "gui_bench: %s\n", e.what());
        return 1;
    }
}
