#pragma once

#include "app/ListRelease.h"
#include "app/StockList.h"
#include "framework/gui/BackgroundTask.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/FormLayout.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StdCtrls.h"
#include "stockdata/LoadProgress.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"
#include "stockdata/StockSearch.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The stock picker's one window: a drop-down list of stock names in name
// order and two buttons. It owns the loaded records and the view over them;
// the list's items are placeholders, each painted from the view. A load runs
// beside the event loop, so the window paints and answers meanwhile: the box
// shows how far it has come, and Escape or closing the window cancels it.
class TForm1 : public TForm {
public:  // Controls and handlers bound by the layout in Unit1Layout.cpp
    TComboBox* ComboBox1 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TBitBtn* BitBtn2 = nullptr;
    void FormCreate(TObject* Sender);
    void BitBtn1Click(TObject* Sender);
    // Reads "fmast.dat" again, as at the start: a button that names a file
    // and did nothing would read as broken.
    void BitBtn2Click(TObject* Sender);
    // Escape, while no list is open, cancels a load.
    void FormKeyDown(TObject* Sender, WORD& Key);
    void ComboBox1DrawItem(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State);
    // The stock's name, for typing and screen readers; its code and name for
    // the tooltip and the clipboard. Trailing spaces trimmed.
    ByteString ComboBox1ItemText(TComboBox* Sender, int Index);
    ByteString ComboBox1ItemHint(TComboBox* Sender, int Index);
    ByteString ComboBox1ItemCopyText(TComboBox* Sender, int Index);
    // The stock's code, trimmed, which screen readers read beside the name.
    ByteString ComboBox1ItemDescription(TComboBox* Sender, int Index);
    // Typing finds a stock by StockSearch's rules: by code, by Hangul
    // initials or by its name, anywhere in it.
    FoundItem ComboBox1FindItem(TComboBox* Sender, const TypedText& Typed, int StartIndex, TFindStep Step);
    // What the open list shows while a search lasts: every stock that
    // matches the whole text, by the same rules, counted beside the event loop.
    std::unique_ptr<TItemMatches> ComboBox1MatchItems(TComboBox* Sender, const TypedText& Typed);

private:
    // The store, the view over it, its records by position and the search
    // over them: replaced together, and the store is never changed while the
    // view refers to it. Empty until a load succeeds. The list's items are
    // the combo box's.
    StockList FList;

    const STData* Stock(int index) const;

    // Clears the list and starts reading `fileName` beside the event loop,
    // once an index build under way has ended; its stocks show in name
    // order when it is done. Nothing while a load runs or waits.
    void LoadMaster(const ByteString& fileName);
    // Hands the previous list to FReleased and starts the load.
    void StartLoad();
    bool LoadUnderWay() const noexcept;
    // Takes the load's list over, or reports why there is none: the list
    // then stays empty.
    void LoadDone(const std::exception_ptr& error);
    void ShowLoadProgress();
    // A load that shows its list leaves the focus where the buttons'
    // waiting put it, in the box, ready for a name; one that ends with no
    // list gives it back to the button that had it.
    enum class LoadEnd : bool { ListShown, NoList };
    void EndLoad(LoadEnd end) noexcept;
    // The cursor is busy while a load or an index build runs: the window
    // answers, but until the indexes are built a search inside names reads
    // every name.
    void ShowWhetherBusy() noexcept;
    // Makes the search over the list shown, then its indexes, beside the
    // event loop; what is typed meanwhile waits for the search.
    void StartSearch();
    // Builds the search's index of the names' characters, then its code index,
    // beside the event loop; ends a build that runs.
    void StartIndexing();
    // Runs `build` beside the event loop, then `done` on the GUI thread: at
    // a low priority what only speeds the search up.
    enum class TaskPriority : bool { Normal, Low };
    void BuildIndex(TaskPriority priority, std::function<void(LoadProgress&)> build, std::function<void()> done);

    ByteString FLoadingName;
    std::stop_source FLoadStop;
    // A load asked for while an index build ran waits for its end, unless
    // Escape cancels it meanwhile: the list is then only released.
    enum class WaitingLoad : std::uint8_t { None, Start, Cancelled };
    WaitingLoad FWaitingLoad = WaitingLoad::None;
    // The button that had the focus as the load began, if any.
    TBitBtn* FFocusedButton = nullptr;
    // Shared with the load's threads while it runs; the list is theirs to
    // write until the load has ended.
    std::unique_ptr<LoadProgress> FProgress;
    std::unique_ptr<StockList> FLoaded;
    // The same for the build of an index, which reads FList's positions, and
    // the indexes it builds.
    std::unique_ptr<LoadProgress> FIndexProgress;
    std::optional<StockSearch> FBuiltSearch;
    std::optional<NameCharacterIndex> FBuiltNames;
    std::optional<CodeIndex> FBuiltCodes;
    // Frees replaced lists; a load waits for it.
    ListRelease<StockList> FReleased;
    // Last, so that they go first: work still running is cancelled before
    // what it reads and writes is destroyed.
    TBackgroundTask FLoad{this};
    TBackgroundTask FIndexing{this};

public:
    explicit TForm1(TComponent* owner) : TForm(owner) {}
};

// The layout TForm1 windows are built from.
const TFormLayout<TForm1>& FormLayoutOf(const TForm1*);

extern TForm1* Form1;
