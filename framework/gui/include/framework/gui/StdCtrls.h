#pragma once

#include "framework/core/ByteString.h"
#include "framework/core/TStringList.h"
#include "framework/core/TypedText.h"
#include "framework/gui/Classes.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Graphics.h"

#include <functional>
#include <limits>
#include <memory>
#include <string>

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State)>;

class TComboBox;
// A text of item Index in [0, Items->Count()), as bytes in the display
// character set.
using TItemTextEvent = std::function<ByteString(TComboBox* Sender, int Index)>;
// Whether a find is the first of a search typed into the list, or a later
// key of the same search, which goes on from the same StartIndex.
enum class TFindStep { NewSearch, SameSearch };
// Where what the user has typed leads, from StartIndex (the open list's
// highlighted row, or 0) on: the item found, -1 for none. The list decides
// what matches; the control only shows it.
using TFindItemEvent =
    std::function<FoundItem(TComboBox* Sender, const TypedText& Typed, int StartIndex, TFindStep Step)>;

// The items that match a typed text, in the order the list's search finds
// them, for the open list to show while the search lasts. Matches are found
// as they are asked for, so that a screenful shows at once, and the rest
// are counted a step at a time beside the event loop.
class TItemMatches {
public:
    virtual ~TItemMatches() = default;
    // How many are found so far; all of them once Counted.
    virtual int Count() const = 0;
    virtual bool Counted() const = 0;
    // The item of match `row`, found first if need be; -1 when fewer match.
    virtual int Item(int row) = 0;
    // Finds more for a few milliseconds at most.
    virtual void CountMore() = 0;
    // What the text was searched as, when another (FoundItem::readAs).
    virtual std::string ReadAs() const = 0;
};
// The items that match what the user has typed into the open list; null
// when the list is not to be narrowed to them.
using TMatchItemsEvent = std::function<std::unique_ptr<TItemMatches>(TComboBox* Sender, const TypedText& Typed)>;

// The item texts of a list control, in the order they were added. The
// control keeps them; it is never destroyed through this interface.
class TStrings {
public:
    using Index = ByteString::Index;

    // Items are numbered with an int, so a list holds at most this many.
    static constexpr Index MaxCount = std::numeric_limits<int>::max();

    // Appends one item; cheap even for a million items, and free of memory
    // while every item equals the first (placeholders). Throws Exception
    // when the list already holds MaxCount items.
    virtual void Add(const ByteString& text) = 0;
    // Appends every line of `items` as an item, in order; `items` is left
    // empty. Into an empty list it takes the lines' storage over, so a list
    // made on another thread costs the control no copy and no time. Throws
    // Exception, adding nothing, when the items would be more than MaxCount;
    // on lack of memory some of them may have been added.
    virtual void AddStrings(TStringList&& items) = 0;
    virtual Index Count() const noexcept = 0;
    virtual ByteString Strings(Index i) const = 0;  // i in [0, Count())
    virtual void Clear() = 0;

protected:
    TStrings() = default;
    TStrings(const TStrings&) = delete;
    TStrings& operator=(const TStrings&) = delete;
    ~TStrings() = default;
};

// A drop-down list. With style csOwnerDrawFixed every row of the list, and
// the closed box's current item, is painted only by OnDrawItem on Canvas,
// never from the item text; rows are ItemHeight pixels high. The list opens
// below the box, showing up to 8 rows.
//
// Typing finds an item, in the closed box and in the open list: characters
// typed within the desktop's keyboard interval gather into a search text,
// and the first item whose text starts with its bytes becomes the current
// one; the same letter typed again moves on to the next such item, wrapping
// round. Text committed by an input method searches the same way. Ctrl+C and
// the context menu's "Copy" put the current item's OnItemCopyText on the
// clipboard.
class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner);

    // The items; they live as long as the control.
    TStrings* const Items;
    // Where OnDrawItem paints.
    TCanvas* const Canvas = &canvas_;

    // Removes every item, and ends a search typed into the box: what is
    // typed next begins a new one. No item is selected afterwards.
    void Clear();

    // The selected item, -1 for none.
    int ItemIndex() const;
    void SetItemIndex(int index);

    void SetStyle(TComboBoxStyle style);
    TComboBoxStyle Style() const noexcept { return style_; }
    void SetItemHeight(int height);
    int ItemHeight() const noexcept { return itemHeight_; }
    // Linux chooses the input method per desktop session, not per control,
    // so the name itself is only kept; a control that names one takes the
    // text an input method commits (Hangul from ibus or fcitx) for its search.
    void SetImeName(std::string name);
    const std::string& ImeName() const noexcept { return imeName_; }

    // Shows, in place of the closed box's item, a bar `percent` (0 to 100)
    // full with `text` on it, which is also the box's name to screen
    // readers; until HideProgress.
    void ShowProgress(int percent, const ByteString& text);
    void HideProgress();
    // While held, what is typed into the box or its open list is kept, in
    // order, as it is while a progress shows, and answered once it is
    // released and no progress shows: for a list that shows before what
    // finds its items is ready.
    void HoldTyping(bool held);
    bool TypingHeld() const;

    bool DroppedDown() const;
    void SetDroppedDown(bool dropped);

    // Called to paint item Index into Rect of Canvas, whose font and colours
    // are already those of the item (highlight colours when selected).
    TDrawItemEvent OnDrawItem;

    // Raises OnDrawItem for item `index`; the framework's paint code calls
    // it once it has loaded Canvas for that item.
    void DrawItem(int index, const TRect& rect, TOwnerDrawState state);

    // What an owner-drawn item says beyond its painting; each may be unset.
    // The text typing searches and screen readers read, also for the closed
    // box's current item; unset, the item's own text.
    TItemTextEvent OnItemText;
    // The tooltip over the item's row and over the closed box; unset or
    // empty, none.
    TItemTextEvent OnItemHint;
    // What copying the current item puts on the clipboard; unset or empty,
    // nothing is copied.
    TItemTextEvent OnItemCopyText;
    // What screen readers read as the item's description, for its row and
    // for the closed box while it is the picked one; unset or empty, none.
    TItemTextEvent OnItemDescription;
    // Finds the item typing asks for; unset, the first item from StartIndex
    // on, wrapping, whose ItemText starts with the whole typed text.
    TFindItemEvent OnFindItem;

    // The texts above with their defaults; for the framework's Qt side.
    ByteString ItemText(int index);
    ByteString ItemHint(int index);
    ByteString ItemCopyText(int index);
    ByteString ItemDescription(int index);
    // The items typing into the open list narrows it to; unset, the list
    // keeps every item and typing only moves its highlight.
    TMatchItemsEvent OnMatchItems;

    // What OnFindItem finds, or without it the first item at or after
    // `startIndex` whose ItemText starts with the whole typed text, else the
    // first from the top.
    FoundItem FindItem(const TypedText& typed, int startIndex, TFindStep step = TFindStep::NewSearch);
    // What OnMatchItems answers; null without it.
    std::unique_ptr<TItemMatches> MatchItems(const TypedText& typed);

private:
    TCanvas canvas_;
    TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
    int itemHeight_ = 16;
    std::string imeName_;
};
