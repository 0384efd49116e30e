// Feeds arbitrary bytes through the line rule, the reader's columns, the
// name-ordered view and the code index, and checks what must hold for any
// input.

#include "framework/core/LineRule.h"
#include "framework/core/TStringList.h"
#include "stockdata/CodeIndex.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"
#include "support/PlainReference.h"

#include <algorithm>
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
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
    const std::size_t chunkSize = 1 + (size > 0 ? data[0] % 13 : 0);
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
    RequireCodeOrder(std::vector<const STData*>(view.begin(), view.end()));
    return 0;
}
