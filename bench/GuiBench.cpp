// Start-up, item filling, painting and drop-down figures of the stock picker
// window with a large "fmast.dat", on Qt's offscreen platform.
// Usage: gui_bench [LINES]   (default 1000000)

#include "app/Unit1.h"
#include "framework/gui/Application.h"
#include "genmaster/MasterGenerator.h"
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

}  // namespace

int main(int argc, char** argv)
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
    const bool found = list.currentIndex().isValid() && list.currentIndex().data().toString().startsWith(lastName.left(12));

    std::printf("start to first painted frame: %.0f ms (form creation with the load: %.0f ms)\n", firstFrameMs, createMs);
    std::printf("reload by the omast.dat button: %.0f ms\n", reloadMs);
    std::printf("load parts: read + sort %.0f ms, fill %zu items %.1f ms (%.1f%% of read + sort + fill)\n", readAndSortMs,
                view.size(), fillMs, 100.0 * fillMs / (readAndSortMs + fillMs));
    std::printf("open the drop-down: %.1f ms\n", dropDownMs);
    std::printf("repaint the visible rows: top %.3f ms, bottom %.3f ms (bottom/top %.2f)\n", topMs, bottomMs,
                bottomMs / topMs);
    std::printf("type 12 letters to find a name at the bottom of %d rows: %.3f ms (%s)\n", lastRow + 1, findMs,
                found ? "found" : "NOT FOUND");
    Application->Finalize();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return 0;
}
