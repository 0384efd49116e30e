#include "app/Unit1.h"

#include "framework/gui/Application.h"

#include <algorithm>
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
    options.limits.callerBytesPerLine = sizeof(const STData*) +
                                        std::max(TStrings::BytesPerItem + CodeIndex::BytesPerLine,
                                                 CodeIndex::BuildBytesPerLine);
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
    FSearch = StockSearch();
    std::vector<const STData*>().swap(FByPosition);
    FSorted.reset();
    FStocks = vecST();
    vecST stocks = ReadMasterFile(fileName, ListLoad());
    auto sorted = std::make_unique<lstPST>(MakeSortedST(stocks, SortKeyName));
    // Moving the vector keeps its buffer, so the view's pointers stay valid.
    FStocks = std::move(stocks);
    FSorted = std::move(sorted);
    FByPosition.assign(FSorted->begin(), FSorted->end());
    FSearch = StockSearch(FByPosition);
    for (std::size_t i = 0; i < FSorted->size(); ++i)
        ComboBox1->Items->Add("NULL");
}

void TForm1::ComboBox1DrawItem(TWinControl*, int Index, const TRect& Rect, TOwnerDrawState)
{
    // FByPosition finds entry Index at once, where walking the view from
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

ByteString TForm1::ComboBox1ItemDescription(TComboBox*, int Index)
{
    const STData* record = Stock(Index);
    return record != nullptr ? ByteString(Trimmed(record->code)) : ByteString();
}

int TForm1::ComboBox1FindItem(TComboBox*, const ByteString& Prefix, int StartIndex)
{
    return FSearch.Find(Prefix.View(), StartIndex, ComboBox1->ItemIndex());
}
