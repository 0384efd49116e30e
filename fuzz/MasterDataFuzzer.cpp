// Feeds arbitrary bytes through the line rule, the reader's columns, the
// name-ordered view and the code index, and checks what must hold for any
// input; then types into a search of that view and checks every row it
// finds against a plain search written apart from it.
//
// An input is a header, then the master's bytes:
//   byte 0: bit 0 set for names in CP949, else UTF-8
//   byte 1: the row the search starts from, byte 2: the row picked (or none)
//   byte 3: the syllable still composing after the keys, 0 for none
//   byte 4: how many keys follow, at most MaxKeys; then one byte a key

#include "framework/core/LineRule.h"
#include "framework/core/TStringList.h"
#include "stockdata/CodeIndex.h"
#include "stockdata/MasterFile.h"
#include "stockdata/NameCharacterIndex.h"
#include "stockdata/SortedView.h"
#include "stockdata/StockSearch.h"
#include "support/PlainReference.h"
#include "support/PlainSearch.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void Violated(const char* what, std::size_t at)
{
    std::fprintf(stderr, "invariant violated: %s (at %zu)\n", what, at);
    std::abort();
}

void Require(bool holds, const char* what, std::size_t at = 0)
{
    if (!holds)
        Violated(what, at);
}

// The line rule written out plainly, byte by byte.
std::vector<std::string_view> ReferenceLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '\n' && text[i] != '\r') {
            ++i;
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = ++i;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// `field` of `width` bytes holds `text` cut at its first 0 byte and at
// width - 1 bytes, then 0 bytes to the end.
void RequireField(const char* field, std::size_t width, std::string_view text, const char* what, std::size_t at)
{
    text = text.substr(0, std::min(text.find('\0'), width - 1));
    Require(std::string_view(field, text.size()) == text, what, at);
    for (std::size_t i = text.size(); i < width; ++i)
        Require(field[i] == '\0', what, at);
}

std::string_view Columns(std::string_view line, std::size_t from, std::size_t count)
{
    return from > line.size() ? std::string_view() : line.substr(from, count);
}

// A code's leading market letter and digits, as typed: "A005930" of
// "A005930  ". Nothing when the code starts with neither.
std::optional<TypedCode> TypedStartOf(const STData& record)
{
    const std::string_view text(record.code);
    std::size_t end = text.empty() ? 0 : 1;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9')
        ++end;
    return TypedCode::From(text.substr(0, end));
}

// Stepping through the code index from the first code that a typed code
// finds visits the positions the plain reference finds, in its order:
// checked for the codes of the first and last entries as typed, with their
// digits alone and with the letter in the other case, on several threads and
// on one.
void RequireCodeOrder(const std::vector<const STData*>& byPosition)
{
    const CodeIndex several(byPosition, Parallelism{3, 1});
    const CodeIndex one(byPosition, Parallelism{1, 1});
    for (const std::size_t from : {std::size_t{0}, byPosition.size() - 1}) {
        const std::optional<TypedCode> read = byPosition.empty() ? std::nullopt : TypedStartOf(*byPosition[from]);
        if (!read)
            continue;
        std::vector<TypedCode> typings = {*read};
        if (read->letter != '\0') {
            typings.push_back({.body = read->body});
            typings.push_back({.letter = static_cast<char>(read->letter ^ ('a' - 'A')), .body = read->body});
        }
        for (const TypedCode& typed : typings) {
            const std::vector<int> wanted = CodeOrderPlain(byPosition, typed);
            for (const CodeIndex* index : {&several, &one}) {
                std::size_t step = 0;
                for (int at = index->Find(typed); at >= 0; at = index->Find(typed, at), ++step)
                    Require(step < wanted.size() && at == wanted[step], "code order", step);
                Require(step == wanted.size(), "every code the typed code finds", step);
            }
        }
    }
}

// What keys type, in UTF-8: digits and letters of codes, letters in both
// cases and the 2-set keys of 삼성, spaces, syllables and jamo the seeds'
// names hold, and 갂, whose CP949 trail byte is an ASCII letter.
constexpr std::array<const char*, 39> Keys = {
    "0", "1", "2", "3", "4", "5", "6", "7",  "8",  "9",  "A",  "a",  "K",  "k",  "L",  "l",  "g",  "G",  "s", "S",
    "t", "j", "d", "w", "q", "Q", " ", "삼", "성", "전", "자", "화", "사", "ㅅ", "ㅈ", "ㄱ", "ㅎ", "ㅏ", "갂"};
// What an input method may still be composing; the first is nothing.
constexpr std::array<const char*, 12> Composing = {"",   "ㅅ", "사", "삼", "성", "자",
                                                   "ㅈ", "오", "닭", "ㅏ", "전", "화"};
constexpr std::size_t HeaderBytes = 5;
constexpr std::size_t MaxKeys = 8;

struct Typing {
    bool cp949 = false;
    int startIndex = 0;
    int picked = -1;
    std::string composing;
    std::vector<std::string> keys;
};

// The header's bytes read as a search; the master is what follows them.
Typing ReadTyping(std::string_view& input)
{
    Typing typing;
    if (input.size() < HeaderBytes) {
        input = {};
        return typing;
    }
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(input[i]); };
    typing.cp949 = (byte(0) & 1) != 0;
    typing.startIndex = byte(1);
    typing.picked = byte(2);
    typing.composing = Composing[byte(3) % Composing.size()];
    const std::size_t keys = std::min<std::size_t>(byte(4) % (MaxKeys + 1), input.size() - HeaderBytes);
    for (std::size_t i = 0; i < keys; ++i)
        typing.keys.emplace_back(Keys[byte(HeaderBytes + i) % Keys.size()]);
    input.remove_prefix(HeaderBytes + keys);
    return typing;
}

// With STOCKPICKER_FUZZ_KINDS set, how many answers each rule gave, told at
// exit: what a corpus reaches.
struct KindTally {
    std::array<std::size_t, 7> kinds{};
    std::size_t stepped = 0, composing = 0, readAs = 0, codeLetters = 0, cp949 = 0;
    ~KindTally()
    {
        if (std::getenv("STOCKPICKER_FUZZ_KINDS") == nullptr)
            return;
        static constexpr std::array<const char*, 7> names = {"code",     "initials",        "starts", "starts folded",
                                                             "contains", "contains folded", "none"};
        for (std::size_t i = 0; i < kinds.size(); ++i)
            std::fprintf(stderr, "%s: %zu\n", names[i], kinds[i]);
        std::fprintf(stderr,
                     "stepped: %zu\ncomposing: %zu\n2-set reading: %zu\ncode with letters in its body: %zu\n"
                     "CP949 found: %zu\n",
                     stepped, composing, readAs, codeLetters, cp949);
    }
};
KindTally tally;

void Count(const plain_search::Trace& trace, const TypedText& typed, bool cp949, const FoundItem& found)
{
    tally.kinds[static_cast<std::size_t>(trace.kind)] += found.index >= 0 ? 1 : 0;
    if (found.index < 0)
        return;
    tally.stepped += trace.stepped ? 1 : 0;
    tally.composing += trace.composing ? 1 : 0;
    tally.readAs += trace.readAs ? 1 : 0;
    tally.cp949 += cp949 ? 1 : 0;
    const std::string whole = typed.Whole();
    const bool lettered = whole.size() > 1 && std::any_of(whole.begin() + 1, whole.end(), IsAsciiLetterPlain);
    tally.codeLetters += trace.kind == plain_search::Kind::Code && lettered ? 1 : 0;
}

// The rows matching `typed` are the plain search's, in its order, whether
// found as a screen asks for them or counted a few rows at a time.
void RequireMatches(StockSearch& search, const plain_search::Search& plain, const TypedText& typed, int rows,
                    std::size_t at)
{
    const std::vector<int> wanted = plain.Matches(typed);
    SearchMatches asked = search.Matches(typed);
    for (std::size_t i = 0; i < wanted.size(); ++i)
        Require(asked.Row(static_cast<int>(i)) == wanted[i], "each match asked for is the plain search's", at);
    Require(asked.Row(static_cast<int>(wanted.size())) == -1 && asked.Complete(), "no more matches", at);
    SearchMatches counted = search.Matches(typed);
    for (int steps = 0; !counted.Complete(); ++steps) {
        // Each kind reads every row once, 3 at a time; at most 6 kinds a text, 2 texts.
        Require(steps <= 12 * (rows / 3 + 1), "counting ends", at);
        counted.FindMore(3);
    }
    Require(counted.Count() == static_cast<int>(wanted.size()), "the count is the plain search's", at);
    for (std::size_t i = 0; i < wanted.size(); ++i)
        Require(counted.Row(static_cast<int>(i)) == wanted[i], "each match counted is the plain search's", at);
}

// Each key of one search, and then the syllable composing after them, typed
// into `search`: every row found is the plain search's.
void RequireSearch(StockSearch& search, const plain_search::Search& plain, const Typing& typing,
                   const std::vector<const STData*>& byPosition, const char* what)
{
    const int rows = static_cast<int>(byPosition.size());
    const int start = rows == 0 ? 0 : typing.startIndex % rows;
    const int picked = typing.picked % (rows + 1) - 1;
    std::vector<TypedText> texts;
    std::string committed;
    for (const std::string& key : typing.keys)
        texts.push_back({committed += key, {}});
    if (!typing.composing.empty())
        texts.push_back({committed, typing.composing});
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto step = i == 0 ? StockSearch::Typing::NewSearch : StockSearch::Typing::SameSearch;
        const FoundItem found = search.Find(texts[i], start, picked, step);
        const FoundItem wanted = plain.Find(texts[i], start, picked);
        Count(plain.LastTrace(), texts[i], typing.cp949, wanted);
        if (found != wanted) {
            std::fprintf(stderr,
                         "%s: typed \"%s\" composing \"%s\" from %d, picked %d: found %d \"%s\", plain %d \"%s\"\n",
                         what, texts[i].committed.c_str(), texts[i].composing.c_str(), start, picked, found.index,
                         found.readAs.c_str(), wanted.index, wanted.readAs.c_str());
            const auto show = [&](const char* who, int row) {
                if (row < 0)
                    return;
                std::fprintf(stderr, "  %s row %d: code \"%s\" name", who, row,
                             byPosition[static_cast<std::size_t>(row)]->code);
                for (const char* c = byPosition[static_cast<std::size_t>(row)]->name; *c != '\0'; ++c)
                    std::fprintf(stderr, " %02x", static_cast<unsigned char>(*c));
                std::fprintf(stderr, "\n");
            };
            show("search", found.index);
            show("plain", wanted.index);
            std::fprintf(stderr, "  plain kind %d, stepped %d\n", static_cast<int>(plain.LastTrace().kind),
                         plain.LastTrace().stepped ? 1 : 0);
            Violated("the search finds what the plain search finds", i);
        }
        RequireMatches(search, plain, texts[i], rows, i);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const Typing typing = ReadTyping(input);
    std::string text(input);
    size = text.size();
    const std::vector<std::string_view> expected = ReferenceLines(text);

    TStringList lines;
    lines.LoadFromBytes(text);
    Require(static_cast<std::size_t>(lines.Count()) == expected.size(), "one list entry per line");
    for (std::size_t i = 0; i < expected.size(); ++i)
        Require(lines.Line(static_cast<TStringList::Index>(i)) == expected[i], "line text", i);

    const vecST store = RecordsFromLines(lines);
    Require(store.size() == expected.size(), "one record per line");
    for (std::size_t i = 0; i < store.size(); ++i) {
        RequireField(store[i].code, sizeof store[i].code, Columns(expected[i], 0, 9), "code field", i);
        RequireField(store[i].name, sizeof store[i].name, Columns(expected[i], 9, 38), "name field", i);
        RequireField(store[i].extra, sizeof store[i].extra, " ", "extra field", i);
    }

    // The direct reader in parts of whole lines, and the same text fed in
    // small chunks, give the same records as the line list.
    const vecST direct = RecordsFromBytes(text, Parallelism{3, 1});
    Require(direct.size() == store.size() &&
                (store.empty() || std::memcmp(direct.data(), store.data(), store.size() * sizeof(STData)) == 0),
            "direct reader gives the same records");
    const std::size_t chunkSize = 1 + (size > 0 ? static_cast<unsigned char>(text[0]) % 13 : 0);
    ChunkedLines splitter(47);
    std::size_t line = 0;
    const auto check = [&](std::string_view kept) {
        Require(line < expected.size() && kept == expected[line].substr(0, 47), "chunked line", line);
        ++line;
    };
    for (std::size_t at = 0; at < size; at += chunkSize)
        splitter.Feed(std::string_view(text).substr(at, chunkSize), check);
    splitter.Finish(check);
    Require(line == expected.size() && CountLines(text) == expected.size(), "chunked line count");

    // Several threads even on small inputs, and one: the same order.
    const lstPST view = MakeSortedST(store, SortKeyName, Parallelism{3, 1});
    const lstPST oneThread = MakeSortedST(store, SortKeyName, Parallelism{1, 1});
    Require(std::equal(view.begin(), view.end(), oneThread.begin(), oneThread.end()), "same view on one thread");
    Require(view.size() == store.size(), "one view entry per record");
    std::vector<bool> seen(store.size());
    const STData* previous = nullptr;
    std::size_t at = 0;
    for (const STData* record : view) {
        Require(record >= store.data() && record < store.data() + store.size(), "pointer inside the store", at);
        const auto position = static_cast<std::size_t>(record - store.data());
        Require(!seen[position], "each record once", at);
        seen[position] = true;
        if (previous != nullptr) {
            const int order = std::memcmp(previous->name, record->name, 38);
            Require(order < 0 || (order == 0 && previous < record), "ordered by name, equal names in store order", at);
        }
        previous = record;
        ++at;
    }
    const std::vector<const STData*> byPosition(view.begin(), view.end());
    RequireCodeOrder(byPosition);

    // The same answers by the scan of the codes' keys and the names and,
    // once added, by the code index and the index of the names' characters.
    const plain_search::Search plain(byPosition, typing.cp949);
    StockSearch search(byPosition, typing.cp949 ? "CP949" : "UTF-8", Parallelism{3, 1});
    RequireSearch(search, plain, typing, byPosition, "keys");
    search.AddCodeIndex(CodeIndex(byPosition, Parallelism{3, 1}));
    RequireSearch(search, plain, typing, byPosition, "code index");
    search.AddCharacterIndex(NameCharacterIndex(byPosition, typing.cp949 ? "CP949" : "UTF-8", Parallelism{3, 1}));
    RequireSearch(search, plain, typing, byPosition, "character index");
    return 0;
}
