#include "stockdata/MasterFile.h"

#include "framework/core/ByteString.h"
#include "framework/core/TStringList.h"

#include <array>

namespace {

constexpr ByteString::Index CodeColumn = 1;
constexpr ByteString::Index CodeWidth = 9;
constexpr ByteString::Index NameColumn = 10;
constexpr ByteString::Index NameWidth = 38;
constexpr const char* ExtraText = " ";

// A slice as a 0-terminated text. The fields are at most 38 bytes, so a stack
// buffer spares a heap string per line on a million-line file.
class FieldText {
public:
    explicit FieldText(std::string_view bytes) noexcept
    {
        bytes.copy(text_.data(), bytes.size());
        text_[bytes.size()] = '\0';
    }
    const char* c_str() const noexcept { return text_.data(); }

private:
    std::array<char, NameWidth + 1> text_;
};

}  // namespace

vecST RecordsFromLines(const TStringList& lines)
{
    vecST store;
    store.reserve(static_cast<std::size_t>(lines.Count()));
    for (TStringList::Index i = 0; i < lines.Count(); ++i) {
        const std::string_view line = lines.Line(i);
        const FieldText code(SubStringView(line, CodeColumn, CodeWidth));
        const FieldText name(SubStringView(line, NameColumn, NameWidth));
        // Built in place: a million 70-byte copies are not free.
        store.emplace_back(code.c_str(), name.c_str(), ExtraText);
    }
    return store;
}

vecST ReadMasterFile(const ByteString& fileName)
{
    TStringList lines;
    lines.LoadFromFile(fileName);
    return RecordsFromLines(lines);
}
