#include "app/Unit1.h"

#include "framework/gui/Application.h"
#include "framework/core/TextCodec.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

TForm1* Form1 = nullptr;

void TForm1::FormCreate(TObject*)
{
    LoadMaster("fmast.dat");
}

void TForm1::BitBtn1Click(TObject*)
{
    LoadMaster("omast.dat");
}

namespace {

// A load for the list: no more lines than it can number, and room for an
// item and two index entries per line, or for building the code index,
// counted before the load commits.
LoadOptions ListLoad()
{
    LoadOptions options;
    options.limits.maxLines = static_cast<std::size_t>(TStrings::MaxCount);
    options.limits.callerBytesPerLine =
        sizeof(const STData*) + std::max(TStrings::BytesPerItem + CodeIndex::BytesPerLine, CodeIndex::BuildBytesPerLine);
    return options;
}

}  // namespace

void TForm1::LoadMaster(const ByteString& fileName)
{
    // A load can take seconds; what the user clicks meanwhile is dropped.
    const TBusyCursor busy;
    ComboBox1->Clear();
    // Nothing can show the previous stocks again: give their memory to the
    // next load, so a reload fits wherever one load fits.
    FDrawCursor = ViewCursor();
    FByCode = CodeIndex();
    std::vector<const STData*>().swap(FByPosition);
    FSorted.reset();
    FStocks = vecST();
    vecST stocks = ReadMasterFile(fileName, ListLoad());
    auto sorted = std::make_unique<lstPST>(MakeSortedST(stocks, SortKeyName));
    // Moving the vector keeps its buffer, so the view's pointers stay valid.
    FStocks = std::move(stocks);
    FSorted = std::move(sorted);
    FDrawCursor.Reset(*FSorted);
    FByPosition.assign(FSorted->begin(), FSorted->end());
    FByCode = CodeIndex(FByPosition);
    for (std::size_t i = 0; i < FSorted->size(); ++i)
        ComboBox1->Items->Add("NULL");
}

void TForm1::ComboBox1DrawItem(TWinControl*, int Index, const TRect& Rect, TOwnerDrawState)
{
    // The cursor finds entry Index from the nearest known place, instead of
    // walking the whole view for every row painted.
    if (const STData* record = FDrawCursor.At(Index))
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
    if (index < 0 || static_cast<std::size_t>(index) >= FByPosition.size())
        return nullptr;
    return FByPosition[static_cast<std::size_t>(index)];
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

namespace {

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits, or one ASCII letter and digits: "005930", "A005930". Not
// std::isalpha, which the locale can extend to bytes of other letters.
bool LooksLikeCode(std::string_view typed)
{
    const auto isAsciiLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (!typed.empty() && isAsciiLetter(typed.front()))
        typed.remove_prefix(1);
    return !typed.empty() && std::ranges::all_of(typed, IsAsciiDigit);
}

}  // namespace

int TForm1::ComboBox1FindItem(TComboBox*, const ByteString& Prefix, int StartIndex)
{
    const std::string_view typed = Prefix.View();
    if (LooksLikeCode(typed))
        return FindByCode(typed, StartIndex);
    // Digits and ASCII letters are the same bytes in every display character
    // set read here, so only other text needs decoding to tell jamo apart.
    if (!typed.empty() && static_cast<unsigned char>(typed.front()) >= 0x80) {
        if (const std::vector<std::uint8_t> initials = TypedInitials(DecodeForDisplay(typed)); !initials.empty())
            return FindByInitials(initials, StartIndex);
    }
    return FindByName(typed, StartIndex);
}

int TForm1::FindByCode(std::string_view typed, int startIndex) const
{
    const int after = startIndex > 0 ? startIndex - 1 : -1;
    const int found = FByCode.Find(typed, after);
    // Korean screens show codes with a market letter that master files leave out.
    if (found < 0 && !IsAsciiDigit(typed.front()))
        return FByCode.Find(typed.substr(1), after);
    return found;
}

int TForm1::FindByInitials(const std::vector<std::uint8_t>& initials, int startIndex)
{
    if (!FInitials || FInitials->Charset() != DisplayCharset())
        FInitials = std::make_unique<InitialsMatcher>();
    // Initials are no prefix of a sorted key, so a new search goes on from
    // the stock picked now, wrapping, as Korean search boxes do.
    const std::ptrdiff_t from = startIndex > 0 ? startIndex : std::max(ComboBox1->ItemIndex(), 0);
    const auto start = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(from, 0, std::ssize(FByPosition)));
    const std::size_t count = FByPosition.size();
    // The records lie in file order, not view order: fetching some ahead
    // keeps the scan from waiting on memory for every one of them.
    constexpr std::size_t ahead = 16;
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t i = (start + step) % count;
        __builtin_prefetch(FByPosition[(i + ahead) % count]->name);
        // The field's 0 fill is no syllable, so the whole field can be read.
        if (FInitials->Matches(std::string_view(FByPosition[i]->name, sizeof(STData::name)), initials))
            return static_cast<int>(i);
    }
    return -1;
}

int TForm1::FindByName(std::string_view prefix, int startIndex) const
{
    if (prefix.empty() || prefix.size() >= sizeof(STData::name) || prefix.find('\0') != std::string_view::npos)
        return -1;  // no name holds it
    // Names are 0-filled fields in byte order, so those starting with the
    // prefix are one run, and comparing the prefix's length of bytes is
    // monotonic along it.
    const auto compare = [&](const STData* record) {
        return std::memcmp(record->name, prefix.data(), prefix.size());
    };
    const auto first = std::partition_point(FByPosition.begin(), FByPosition.end(),
                                            [&](const STData* record) { return compare(record) < 0; });
    const auto end = std::partition_point(first, FByPosition.end(),
                                          [&](const STData* record) { return compare(record) == 0; });
    const auto start = FByPosition.begin() + std::clamp<std::ptrdiff_t>(startIndex, 0, std::ssize(FByPosition));
    const auto found = std::max(first, start);
    return found < end ? static_cast<int>(found - FByPosition.begin()) : -1;
}
