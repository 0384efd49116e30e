#include "TypeAheadSearch.h"

#include <algorithm>

namespace {

// Takes the last character, both halves of a surrogate pair, off `text`.
void ChopCharacter(QString& text)
{
    const bool pair = text.size() > 1 && text.back().isLowSurrogate() && text[text.size() - 2].isHighSurrogate();
    text.chop(pair ? 2 : 1);
}

}  // namespace

void TypeAheadSearch::Begin(int start)
{
    if (active_)
        return;
    active_ = true;
    found_ = false;
    start_ = std::max(start, 0);
}

void TypeAheadSearch::Type(const QString& typed)
{
    leftOver_.clear();
    committed_ += typed;
}

void TypeAheadSearch::Compose(const QString& commit, const QString& preedit)
{
    // ibus commits the syllable when the composition is reset, or with the
    // first key of the next syllable; either way it was typed for a search
    // that has ended.
    // A new preedit without a commit goes on with that syllable, which then
    // counts as typed for this search.
    if (!commit.isEmpty() || (!preedit.isEmpty() && preedit != leftOver_)) {
        const bool late = !leftOver_.isEmpty() && commit.startsWith(leftOver_);
        committed_ += commit.mid(late ? leftOver_.size() : 0);
        leftOver_.clear();
    }
    composing_ = preedit;
}

bool TypeAheadSearch::Backspace()
{
    QString& from = composing_.isEmpty() ? committed_ : composing_;
    if (from.isEmpty())
        return false;
    ChopCharacter(from);
    return true;
}

void TypeAheadSearch::End()
{
    if (!active_)
        return;
    leftOver_ = composing_;
    committed_.clear();
    composing_.clear();
    active_ = false;
}

FoundItem TypeAheadSearch::Find(const Finder& find)
{
    if (committed_.isEmpty() && composing_.isEmpty())
        return {};
    const TFindStep step = found_ ? TFindStep::SameSearch : TFindStep::NewSearch;
    found_ = true;
    return find(Typed(), start_, step);
}
