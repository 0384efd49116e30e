#include "app/Unit1.h"

#include "framework/core/QuotedName.h"
#include "framework/core/TextCodec.h"
#include "framework/core/Translate.h"
#include "framework/gui/Application.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

TForm1* Form1 = nullptr;

void TForm1::FormCreate(TObject*)
{
    LoadMaster("fmast.dat");
}

void TForm1::BitBtn1Click(TObject*)
{
    LoadMaster("omast.dat");
}

void TForm1::BitBtn2Click(TObject*)
{
    LoadMaster("fmast.dat");
}

void TForm1::FormKeyDown(TObject*, WORD& Key)
{
    if (Key != VK_ESCAPE || !LoadUnderWay())
        return;
    if (FWaitingLoad == WaitingLoad::Start) {
        FWaitingLoad = WaitingLoad::Cancelled;
    } else {
        // Waits for the load's threads, a few milliseconds; what they made
        // is freed with them, and the list stays empty, with nothing to report.
        FLoad.Cancel();
    }
    EndLoad(LoadEnd::NoList);
    Key = 0;
}

bool TForm1::LoadUnderWay() const noexcept
{
    return FLoad.Running() || FWaitingLoad == WaitingLoad::Start;
}

void TForm1::LoadMaster(const ByteString& fileName)
{
    if (LoadUnderWay())
        return;  // the buttons are disabled meanwhile
    ComboBox1->Clear();
    std::stop_source stop;
    FProgress = std::make_unique<LoadProgress>(stop.get_token());
    FLoadStop = std::move(stop);
    try {
        FLoadingName = fileName;
        ShowLoadProgress();
        SetCursor(TCursor::crAppStart);
        // They wait for the load, and look so; the focus moves on to the
        // box, which keeps what is typed meanwhile.
        FFocusedButton = BitBtn1->Focused() ? BitBtn1 : BitBtn2->Focused() ? BitBtn2 : nullptr;
        BitBtn1->SetEnabled(false);
        BitBtn2->SetEnabled(false);
    } catch (...) {
        EndLoad(LoadEnd::NoList);
        throw;
    }
    // An index build reads the list: the load starts once the build has
    // seen the stop and ended. Waiting for it here would hold the window up
    // while its low-priority threads get to it, on a busy machine for long
    // (30M lines, both cores busy: 118 ms, gui_bench --gaps).
    if (FIndexing.Running()) {
        FIndexing.RequestStop();
        FWaitingLoad = WaitingLoad::Start;
        return;
    }
    StartLoad();
}

void TForm1::StartLoad()
{
    FWaitingLoad = WaitingLoad::None;
    FBuiltSearch.reset();
    FBuiltNames.reset();
    FBuiltCodes.reset();
    // Nothing can show the previous stocks again: their memory goes back
    // before the next load is admitted, so a reload fits wherever one load fits.
    FReleased.Release(std::exchange(FList, StockList()));
    try {
        std::stop_token stopped = FLoadStop.get_token();
        FLoad.OnProgress = [this] { ShowLoadProgress(); };
        FLoad.Start(
            std::move(FLoadStop),
            [this, fileName = FLoadingName, &progress = *FProgress, stopped = std::move(stopped)] {
                if (!FReleased.WaitFreed(stopped))
                    throw LoadCancelled();
                FLoaded = std::make_unique<StockList>(ReadStockList(fileName, progress));
            },
            [this](const std::exception_ptr& error) { LoadDone(error); });
    } catch (...) {
        EndLoad(LoadEnd::NoList);  // reported, with the list empty and the buttons ready again
        throw;
    }
}

void TForm1::ShowLoadProgress()
{
    const auto percent = static_cast<int>(FProgress->Fraction() * 100);
    const std::string name = QuotedName(std::string(FLoadingName.View()));
    // TRANSLATORS: the drop-down list's text while a master file loads. {0}: the file's name in quotes;
    // {1}: how much is done, a whole number of percent; Escape is the key.
    const std::string text = Tr("Loading {0}: {1}%. Press Escape to cancel.", name, std::to_string(percent));
    ComboBox1->ShowProgress(percent, ByteString(text));
}

void TForm1::EndLoad(LoadEnd end) noexcept
{
    FLoaded.reset();
    FProgress.reset();
    ComboBox1->HideProgress();
    BitBtn1->SetEnabled(true);
    BitBtn2->SetEnabled(true);
    if (end == LoadEnd::NoList && FFocusedButton != nullptr && ComboBox1->Focused())
        FFocusedButton->SetFocus();
    FFocusedButton = nullptr;
    ShowWhetherBusy();
}

void TForm1::ShowWhetherBusy() noexcept
{
    try {
        SetCursor(LoadUnderWay() || FIndexing.Running() ? TCursor::crAppStart : TCursor::crDefault);
    } catch (...) {
        // Out of memory for the cursor's look only: it stays as it was.
    }
}

void TForm1::LoadDone(const std::exception_ptr& error)
{
    const std::unique_ptr<StockList> loaded = std::move(FLoaded);
    if (!error)
        ComboBox1->HoldTyping(true);  // before the progress hides: the keys kept wait for the search
    EndLoad(error ? LoadEnd::NoList : LoadEnd::ListShown);
    if (error)
        std::rethrow_exception(error);  // reported as a handler's failure; the list stays empty
    FList = std::move(*loaded);
    ComboBox1->Items->AddStrings(std::move(FList.items));
    StartSearch();
}

void TForm1::StartSearch()
{
    // The list shows before its search is made, which the keys typed
    // meanwhile wait for. 10M lines: the list showed after 949-1143 ms
    // where it took 1437-1868 ms, five paired runs (gui_bench), 2026-12-11.
    BuildIndex(
        TaskPriority::Normal,
        [this](LoadProgress& progress) { FBuiltSearch.emplace(MakeStockSearch(FList, progress)); },
        [this] {
            FList.search = *std::exchange(FBuiltSearch, std::nullopt);
            StartIndexing();
        });
}

void TForm1::StartIndexing()
{
    // One after the other, so that their builds' memory never adds up; the
    // names' first, and searched as soon as it is built, since until then a
    // search inside names reads every name (30M lines: about 0.3 s a key),
    // while the code keys answer a code within about 0.1 s.
    BuildIndex(
        TaskPriority::Low,
        [this](LoadProgress& progress) {
            FBuiltNames.emplace(FList.byPosition, DisplayCharset(), Parallelism::OfMachine(), &progress);
        },
        [this] {
            FList.search.AddCharacterIndex(*std::exchange(FBuiltNames, std::nullopt));
            BuildIndex(
                TaskPriority::Low,
                [this](LoadProgress& progress) {
                    FBuiltCodes.emplace(FList.byPosition, Parallelism::OfMachine(), &progress);
                },
                [this] { FList.search.AddCodeIndex(*std::exchange(FBuiltCodes, std::nullopt)); });
        });
}

void TForm1::BuildIndex(TaskPriority priority, std::function<void(LoadProgress&)> build, std::function<void()> done)
{
    std::stop_source stop;
    FIndexProgress = std::make_unique<LoadProgress>(stop.get_token());
    FIndexing.LowPriority = priority == TaskPriority::Low;
    FIndexing.Start(
        std::move(stop), [build = std::move(build), &progress = *FIndexProgress] { build(progress); },
        [this, done = std::move(done)](const std::exception_ptr& error) {
            // However the build ends: the next may have started, or nothing runs.
            const struct BusyShown {
                TForm1& form;
                ~BusyShown()
                {
                    // Whether the search was made or not, nothing is left to wait for.
                    form.ComboBox1->HoldTyping(false);
                    form.ShowWhetherBusy();
                }
            } busyShown{*this};
            FIndexProgress.reset();
            switch (std::exchange(FWaitingLoad, WaitingLoad::None)) {
            case WaitingLoad::Start:
                StartLoad();
                return;
            case WaitingLoad::Cancelled:
                FBuiltSearch.reset();
                FBuiltNames.reset();
                FBuiltCodes.reset();
                FReleased.Release(std::exchange(FList, StockList()));
                return;
            case WaitingLoad::None:
                break;
            }
            if (error)
                std::rethrow_exception(error);  // reported; what it was to index is still found by scans
            done();
        });
    ShowWhetherBusy();
}

void TForm1::ComboBox1DrawItem(TWinControl*, int Index, const TRect& Rect, TOwnerDrawState)
{
    // The positions find entry Index at once, where walking the view from
    // its front would cost a row at the bottom of a million a million steps.
    if (const STData* record = Stock(Index))
        ComboBox1->Canvas->TextRect(Rect, Rect.Left, Rect.Top, record->name);
}

namespace {

std::string_view Trimmed(const char* field)
{
    std::string_view text(field);
    while (text.ends_with(' '))
        text.remove_suffix(1);
    return text;
}

}  // namespace

const STData* TForm1::Stock(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= FList.byPosition.size())
        return nullptr;
    return FList.byPosition[static_cast<std::size_t>(index)];
}

ByteString TForm1::ComboBox1ItemText(TComboBox*, int Index)
{
    const STData* record = Stock(Index);
    return record != nullptr ? ByteString(Trimmed(record->name)) : ByteString();
}

ByteString TForm1::ComboBox1ItemHint(TComboBox*, int Index)
{
    const STData* record = Stock(Index);
    if (record == nullptr)
        return {};
    return ByteString(std::string(Trimmed(record->code)) + "  " + std::string(Trimmed(record->name)));
}

ByteString TForm1::ComboBox1ItemCopyText(TComboBox*, int Index)
{
    const STData* record = Stock(Index);
    if (record == nullptr)
        return {};
    return ByteString(std::string(Trimmed(record->code)) + "\t" + std::string(Trimmed(record->name)));
}

ByteString TForm1::ComboBox1ItemDescription(TComboBox*, int Index)
{
    const STData* record = Stock(Index);
    return record != nullptr ? ByteString(Trimmed(record->code)) : ByteString();
}

namespace {

// The stocks matching a text, found with the index builds held, as a find is.
class StockMatches final : public TItemMatches {
public:
    StockMatches(SearchMatches matches, const std::unique_ptr<LoadProgress>& indexBuild)
        : matches_(std::move(matches)), indexBuild_(indexBuild)
    {
    }
    int Count() const override { return matches_.Count(); }
    bool Counted() const override { return matches_.Complete(); }
    int Item(int row) override
    {
        const LoadProgress::Hold hold(indexBuild_.get());
        return matches_.Row(row);
    }
    void CountMore() override
    {
        // A few milliseconds of rows read in list order.
        constexpr int rowsAStep = 1 << 16;
        const LoadProgress::Hold hold(indexBuild_.get());
        matches_.FindMore(rowsAStep);
    }
    std::string ReadAs() const override { return matches_.ReadAs(); }

private:
    SearchMatches matches_;
    // The build under way, if any; it changes from one build to the next.
    const std::unique_ptr<LoadProgress>& indexBuild_;
};

}  // namespace

std::unique_ptr<TItemMatches> TForm1::ComboBox1MatchItems(TComboBox*, const TypedText& Typed)
{
    return std::make_unique<StockMatches>(FList.search.Matches(Typed), FIndexProgress);
}

FoundItem TForm1::ComboBox1FindItem(TComboBox*, const TypedText& Typed, int StartIndex, TFindStep Step)
{
    // The index built beside it waits, or the search's reads of the names
    // and the build's share the memory.
    const LoadProgress::Hold hold(FIndexProgress.get());
    return FList.search.Find(Typed, StartIndex, ComboBox1->ItemIndex(),
                             Step == TFindStep::SameSearch ? StockSearch::Typing::SameSearch
                                                           : StockSearch::Typing::NewSearch);
}
