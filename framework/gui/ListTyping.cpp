#include "ListTyping.h"

#include "ComboBoxWidget.h"

#include <QApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include <algorithm>
#include <optional>

namespace {

// How long a syllable may take to compose, a key at a time, before its
// composition is ended; longer than the keyboard interval, which people who
// look for each jamo on the keyboard take between keys.
constexpr int SlowSyllableMs = 1000;
// How long a text that matched nothing stays shown after its search has
// ended, so that a glance back at the list still finds why nothing moved.
constexpr int NoMatchShownMs = 2500;

// A key that types text into a search: a printable character, with no
// modifier but Shift (which makes capitals) or the keypad's.
bool TypesSearchText(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers other = event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    return other == Qt::NoModifier && !event.text().isEmpty() && event.text().front().isPrint();
}

}  // namespace

ListTyping::ListTyping(ComboBoxWidget& box) : box_(box)
{
    searchEnds_.setSingleShot(true);
    QObject::connect(&searchEnds_, &QTimer::timeout, &box, [this] {
        const bool noMatch = !matched_;
        End();
        if (noMatch) {
            shown_.show();
            noMatchShown_.start(NoMatchShownMs);
        }
    });
    noMatchShown_.setSingleShot(true);
    QObject::connect(&noMatchShown_, &QTimer::timeout, &box, [this] { shown_.hide(); });
    // Ends a syllable left composing, so that the next search's first key
    // does not commit it into that search.
    compositionEnds_.setSingleShot(true);
    QObject::connect(&compositionEnds_, &QTimer::timeout, &box, [this] {
        if (QGuiApplication::focusObject() == &box_)
            QGuiApplication::inputMethod()->reset();
    });
}

bool ListTyping::Continues(TypedInto where) const
{
    if (!search_.IsActive() || searchIn_ != where)
        return false;
    // The open list's search lasts while the user reads its matches; the
    // box's ends with a pause, also read here: the timer may not have run
    // yet on a busy event loop.
    return where == TypedInto::OpenList ||
           (lastTyped_.isValid() && lastTyped_.elapsed() <= QApplication::keyboardInputInterval());
}

void ListTyping::Begin(TypedInto where)
{
    const bool continues = Continues(where);
    lastTyped_.start();
    if (continues)
        return;
    End();
    searchIn_ = where;
    pickedBefore_ = box_.TypingRow(where);
    // The closed box's own starting point is its pick, which the list's
    // FindItem knows; a new code search finds the smallest code wherever it starts.
    search_.Begin(where == TypedInto::OpenList ? pickedBefore_ : 0);
}

void ListTyping::ListOpened()
{
    if (!Continues(TypedInto::Box)) {
        End();
        return;
    }
    searchIn_ = TypedInto::OpenList;
    compositionEnds_.stop();
    SearchAgain();
}

void ListTyping::ShowCount()
{
    if (search_.IsActive() && searchIn_ == TypedInto::OpenList)
        ShowSearch();
}

bool ListTyping::NarrowList()
{
    if (searchIn_ != TypedInto::OpenList || !box_.NarrowsList())
        return false;
    box_.Dispatch([&] {
        if (search_.Text().isEmpty())
            box_.WidenList();
        else
            box_.NarrowList(search_.Typed());
    });
    const TItemMatches* matches = box_.ListMatches();
    matched_ = matches == nullptr || matches->Count() > 0;
    readAs_ = matches != nullptr ? QString::fromStdString(matches->ReadAs()) : QString();
    return true;
}

void ListTyping::SearchAgain()
{
    // The pause that ends the search starts again below, from this key.
    searchEnds_.stop();
    noMatchShown_.stop();
    if (NarrowList()) {
        ShowSearch();
        return;
    }
    FoundItem found;
    box_.Dispatch([&] {
        found = search_.Find([this](const TypedText& typed, int start, TFindStep step) {
            return box_.FindItem(typed, start, step);
        });
        box_.MoveTypingRow(searchIn_, found.index >= 0 ? found.index : pickedBefore_);
    });
    matched_ = found.index >= 0 || search_.Text().isEmpty();
    readAs_ = QString::fromStdString(found.readAs);
    ShowSearch();
}

void ListTyping::ShowSearch()
{
    std::optional<TypeAheadLabel::Count> count;
    if (const TItemMatches* matches = box_.ListMatches(); matches != nullptr && searchIn_ == TypedInto::OpenList)
        count = TypeAheadLabel::Count{matches->Count(), matches->Counted()};
    shown_.Show(search_.Committed(), search_.Composing(), readAs_,
                matched_ ? TypeAheadLabel::Found::Yes : TypeAheadLabel::Found::No, box_.TypingShownBeside(searchIn_),
                count);
    // The pause that ends a search in the box counts from the last key,
    // preedit changes included.
    if (searchIn_ == TypedInto::Box)
        searchEnds_.start(QApplication::keyboardInputInterval());
}

void ListTyping::End()
{
    if (search_.IsActive() && searchIn_ == TypedInto::OpenList)
        box_.Dispatch([this] { box_.WidenList(); });
    cleared_.clear();
    searchEnds_.stop();
    noMatchShown_.stop();
    matched_ = true;
    shown_.hide();
    search_.End();
}

void ListTyping::EndIn(TypedInto where)
{
    if (searchIn_ == where)
        End();
}

bool ListTyping::TypeKey(const QKeyEvent& key, TypedInto where)
{
    if (!TypesSearchText(key))
        return false;
    // A space opens the list, unless it continues a search ("LG E").
    if (key.text() == QStringLiteral(" ") && !Continues(where))
        return false;
    Begin(where);
    search_.Type(key.text());
    SearchAgain();
    return true;
}

bool ListTyping::TakeInputMethod(const QInputMethodEvent& event, TypedInto where)
{
    const bool begins = !Continues(where);
    if (begins && event.commitString().isEmpty() && event.preeditString().isEmpty()) {
        End();
        return false;  // the end of a composition that no search holds
    }
    // Input methods commit the syllable they compose when a key ends the
    // composition, ibus-hangul and fcitx5-hangul before an Escape reaches
    // the box: the text stays the same, only no longer composing, so the
    // pick found with that syllable stays;
    const bool onlyFinishes = !begins && event.preeditString().isEmpty() && !event.commitString().isEmpty() &&
                              event.commitString() == search_.Composing();
    // and after it an event of nothing, which changes no search.
    if (!begins && event.commitString().isEmpty() && event.preeditString().isEmpty() && search_.Composing().isEmpty())
        return true;
    // ibus sends that commit in two events: the preedit cleared, then the
    // syllable committed; the pick found with it composing comes back.
    const bool finishesCleared = !begins && event.preeditString().isEmpty() && !cleared_.isEmpty() &&
                                 event.commitString() == cleared_;
    const bool clears = !begins && event.commitString().isEmpty() && event.preeditString().isEmpty() &&
                        !search_.Composing().isEmpty();
    cleared_ = clears ? search_.Composing() : QString();
    if (clears) {
        rowWithCleared_ = box_.TypingRow(where);
        matchedWithCleared_ = matched_;
    }
    Begin(where);
    search_.Compose(event.commitString(), event.preeditString());
    // Only the box's search ends with a pause, and with it the syllable.
    if (event.preeditString().isEmpty() || where == TypedInto::OpenList)
        compositionEnds_.stop();
    else
        compositionEnds_.start(std::max(QApplication::keyboardInputInterval(), SlowSyllableMs));
    if (begins && search_.Text().isEmpty()) {
        End();  // only the syllable left over from the last search, committed late
        return true;
    }
    // A narrowed list is narrowed again to the whole text, which is back.
    if (finishesCleared && !(searchIn_ == TypedInto::OpenList && box_.NarrowsList())) {
        box_.Dispatch([&] { box_.MoveTypingRow(searchIn_, rowWithCleared_); });
        matched_ = matchedWithCleared_;
        ShowSearch();
    } else if (onlyFinishes)
        ShowSearch();
    else
        SearchAgain();
    return true;
}

bool ListTyping::EditsSearch(const QKeyEvent& key, TypedInto where) const
{
    return (key.key() == Qt::Key_Escape || key.key() == Qt::Key_Backspace) && key.modifiers() == Qt::NoModifier &&
           Continues(where);
}

bool ListTyping::EditSearch(const QKeyEvent& key, TypedInto where)
{
    if (!EditsSearch(key, where))
        return false;
    if (key.key() == Qt::Key_Escape) {
        End();
        return true;
    }
    lastTyped_.start();
    search_.Backspace();
    SearchAgain();
    return true;
}

bool ListTyping::TakeKey(const QKeyEvent& key, TypedInto where)
{
    cleared_.clear();
    return EditSearch(key, where) || TypeKey(key, where);
}
