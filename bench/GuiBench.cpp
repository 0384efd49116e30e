// Start-up, item filling, painting, drop-down and search figures of the stock picker
// window with a large "fmast.dat", on Qt's offscreen platform.
// Usage: gui_bench [LINES]   (default 1000000)

#include "app/Unit1.h"
#include "framework/core/HangulInitials.h"
#include "framework/core/TextCodec.h"
#include "framework/gui/Application.h"
#include "genmaster/MasterGenerator.h"
#include "stockdata/CodeIndex.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QKeyEvent>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

QElapsedTimer sinceStart;

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

void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Mean time of a synchronous repaint of the list's visible rows.
double RepaintMilliseconds(QAbstractItemView& view, int times)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < times; ++i)
        view.viewport()->repaint();
    return Milliseconds(timer) / times;
}

void WriteMasterFile(const std::string& path, std::uint64_t lines)
{
    MasterGenerator generator({.lines = lines});
    std::string text;
    for (std::uint64_t i = 0; i < lines; ++i)
        generator.AppendLine(text);
    std::ofstream(path, std::ios::binary) << text;
}

// Mean time per key of the searches typing `text` makes, one for each
// longer start of it, and what the whole text finds.
std::pair<double, int> MillisecondsPerKey(TComboBox& combo, const QString& text, int times)
{
    std::vector<ByteString> prefixes;
    for (qsizetype length = 1; length <= text.size(); ++length)
        prefixes.emplace_back(EncodeForDisplay(text.left(length).toStdString()).value_or(""));
    int found = -1;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < times; ++i)
        for (const ByteString& prefix : prefixes)
            found = combo.FindItem(prefix, 0);
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

int RunBench(int argc, char** argv)
{
    const std::uint64_t lines = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const auto dir = std::filesystem::temp_directory_path() / "stockpicker-gui-bench";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    WriteMasterFile("fmast.dat", lines);
    std::printf("fmast.dat: %llu lines, %.0f MB\n", static_cast<unsigned long long>(lines),
                static_cast<double>(std::filesystem::file_size("fmast.dat")) / 1e6);

    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    sinceStart.start();
    Application->Initialize();
    QElapsedTimer timer;
    timer.start();
    Application->CreateForm(Form1);
    const double createMs = Milliseconds(timer);
    PaintSeen paint;
    Form1->Widget()->installEventFilter(&paint);
    Form1->Show();
    while (!paint.seen)
        QApplication::processEvents();  // returns once that paint is done
    const double firstFrameMs = Milliseconds(sinceStart);
    Settle();

    // A reload of the same stocks by the "omast.dat" button, up to an idle loop.
    std::filesystem::remove("omast.dat");
    std::filesystem::create_hard_link("fmast.dat", "omast.dat");
    timer.restart();
    Form1->BitBtn1->Click();
    Settle();
    const double reloadMs = Milliseconds(timer);

    // The load's parts, measured again on their own in the same process.
    timer.restart();
    const vecST store = ReadMasterFile("fmast.dat");
    const lstPST view = MakeSortedST(store, SortKeyName);
    const double readAndSortMs = Milliseconds(timer);
    std::vector<const STData*> byPosition(view.begin(), view.end());
    timer.restart();
    const CodeIndex codes(byPosition);
    const double codeIndexMs = Milliseconds(timer);
    double fillMs = 0;
    {
        TComboBox filler(nullptr);
        timer.restart();
        for (std::size_t i = 0; i < view.size(); ++i)
            filler.Items->Add("NULL");
        Settle();
        fillMs = Milliseconds(timer);
    }

    auto& box = *static_cast<QComboBox*>(Form1->ComboBox1->Widget());
    timer.restart();
    Form1->ComboBox1->SetDroppedDown(true);
    Settle();
    const double dropDownMs = Milliseconds(timer);
    QAbstractItemView& list = *box.view();
    list.scrollToTop();
    Settle();
    const double topMs = RepaintMilliseconds(list, 200);
    list.scrollToBottom();
    Settle();
    const double bottomMs = RepaintMilliseconds(list, 200);

    // Typing the last name's first letters into the open list: the search,
    // the current row and scrolling to it, as a key press does.
    const int lastRow = static_cast<int>(Form1->ComboBox1->Items->Count()) - 1;
    const QString lastName = box.model()->index(lastRow, 0).data(Qt::DisplayRole).toString();
    constexpr int finds = 200;
    timer.restart();
    for (int i = 0; i < finds; ++i) {
        list.scrollToTop();
        QApplication::setKeyboardInputInterval(-1);  // every find a new search
        for (const QChar c : lastName.left(12)) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&list, &press);
            QApplication::setKeyboardInputInterval(60000);
        }
    }
    const double findMs = Milliseconds(timer) / finds;
    const bool found = list.currentIndex().isValid() &&
                       list.currentIndex().data().toString().startsWith(lastName.left(12));

    // The searches that typing a code and initials makes, each key a new
    // search of a longer text, as TComboBox::FindItem is called for it.
    // A code at the bottom of the view; every key is a binary search of the
    // code index.
    const std::string lastCopy(Form1->ComboBox1->ItemCopyText(lastRow).View());
    const std::string lastCode = lastCopy.substr(0, lastCopy.find('\t'));
    const auto [codeKeyMs, codeRow] = MillisecondsPerKey(*Form1->ComboBox1, QString::fromStdString(lastCode), finds);
    const bool codeFound = codeRow >= 0 && Form1->ComboBox1->ItemCopyText(codeRow).View().starts_with(lastCode + "\t");

    // Initials: those of the last Hangul name in view order, found after a
    // scan of nearly every row, and initials no name has, a whole scan.
    QString lastHangul;
    for (int row = lastRow; row >= 0 && lastHangul.isEmpty(); --row)
        lastHangul = InitialsOf(box.model()->index(row, 0).data(Qt::DisplayRole).toString());
    const auto [initialsKeyMs, initialsRow] = MillisecondsPerKey(*Form1->ComboBox1, lastHangul, 20);
    const bool initialsFound = initialsRow >= 0 &&
                               InitialsOf(box.model()->index(initialsRow, 0).data().toString()).startsWith(lastHangul);
    const auto [noMatchKeyMs, noMatchRow] = MillisecondsPerKey(*Form1->ComboBox1, QStringLiteral("ㅃ"), 20);
    const std::string displayCharset = DisplayCharset();
    SetDisplayCharset("CP949");
    timer.restart();
    const InitialsMatcher cp949Matcher;
    const double cp949TableMs = Milliseconds(timer);
    SetDisplayCharset(displayCharset);

    std::printf("start to first painted frame: %.0f ms (form creation with the load: %.0f ms)\n", firstFrameMs,
                createMs);
    std::printf("reload by the omast.dat button: %.0f ms\n", reloadMs);
    std::printf("load parts: read + sort %.0f ms, fill %zu items %.1f ms (%.1f%% of read + sort + fill)\n",
                readAndSortMs, view.size(), fillMs, 100.0 * fillMs / (readAndSortMs + fillMs));
    std::printf("open the drop-down: %.1f ms\n", dropDownMs);
    std::printf("repaint the visible rows: top %.3f ms, bottom %.3f ms (bottom/top %.2f)\n", topMs, bottomMs,
                bottomMs / topMs);
    std::printf("type 12 letters to find a name at the bottom of %d rows: %.3f ms (%s)\n", lastRow + 1, findMs,
                found ? "found" : "NOT FOUND");
    std::printf("code index: built in %.0f ms, %.1f MB (%llu bytes a line)\n", codeIndexMs,
                static_cast<double>(byPosition.size() * CodeIndex::BytesPerLine) / 1e6,
                static_cast<unsigned long long>(CodeIndex::BytesPerLine));
    std::printf("search for a code (%s): %.4f ms a key (%s)\n", lastCode.c_str(), codeKeyMs,
                codeFound ? "found" : "NOT FOUND");
    std::printf("search for the initials of the last Hangul name (%s): %.2f ms a key (%s)\n",
                lastHangul.toStdString().c_str(), initialsKeyMs, initialsFound ? "found" : "NOT FOUND");
    std::printf("search for initials no name has (ㅃ), a scan of all %d rows: %.2f ms a key (%s)\n", lastRow + 1,
                noMatchKeyMs, noMatchRow < 0 ? "none found" : "FOUND");
    std::printf("CP949 initials table: %.1f ms, once per character set\n", cp949TableMs);
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
        std::fprintf(stderr, "gui_bench: %s\n", e.what());
        return 1;
    }
}
