#include "app/Unit1.h"

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
// item per line counted before the load commits.
LoadOptions ListLoad()
{
    LoadOptions options;
    options.limits.maxLines = static_cast<std::size_t>(TStrings::MaxCount);
    options.limits.callerBytesPerLine = TStrings::BytesPerItem;
    return options;
}

}  // namespace

void TForm1::LoadMaster(const ByteString& fileName)
{
    ComboBox1->Clear();
    // Nothing can show the previous stocks again: give their memory to the
    // next load, so a reload fits wherever one load fits.
    FDrawCursor = ViewCursor();
    FSorted.reset();
    FStocks = vecST();
    vecST stocks = ReadMasterFile(fileName, ListLoad());
    auto sorted = std::make_unique<lstPST>(MakeSortedST(stocks, SortKeyName));
    // Moving the vector keeps its buffer, so the view's pointers stay valid.
    FStocks = std::move(stocks);
    FSorted = std::move(sorted);
    FDrawCursor.Reset(*FSorted);
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
