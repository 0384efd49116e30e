#include "TypeAheadSearch.h"

#include "ComposingSyllable.h"
#include "framework/core/HangulInitials.h"

#include <algorithm>

namespace {

bool RepeatsOneCharacter(const QString& text)
{
    return text.size() > 1 && text.count(text.front()) == text.size();
}

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
    start_ = std::max(start, 0);
    steps_.clear();
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

QStringList TypeAheadSearch::Candidates() const
{
    // Jamo alone are initials, which stand for any syllable already.
    if (composing_.isEmpty() || !TypedInitials(Text().toStdString()).empty())
        return {Text()};
    QStringList texts = ComposingCompletions(composing_);
    for (QString& text : texts)
        text.prepend(committed_);
    return texts;
}

int TypeAheadSearch::Find(const Finder& find)
{
    const QString text = Text();
    if (text.isEmpty())
        return -1;
    if (!RepeatsOneCharacter(text)) {
        // The first row from the start that any of the texts leads to, else
        // the first above it, which the finder wrapped to.
        int best = -1;
        const auto before = [this](int a, int b) { return std::pair(a < start_, a) < std::pair(b < start_, b); };
        for (const QString& candidate : Candidates())
            if (const int found = find(candidate, start_, TFindStep::NewSearch);
                found >= 0 && (best < 0 || before(found, best)))
                best = found;
        return best;
    }
    const QString one = text.left(1);
    if (one != stepped_ || steps_.empty()) {
        stepped_ = one;
        steps_.assign(1, find(one, start_, TFindStep::NewSearch));
    }
    while (steps_.size() < static_cast<std::size_t>(text.size())) {
        const int last = steps_.back();
        steps_.push_back(last < 0 ? -1 : find(one, last + 1, TFindStep::StepOn));
    }
    return steps_[text.size() - 1];
}
