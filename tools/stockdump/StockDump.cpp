#include "StockDump.h"

#include "framework/core/ByteString.h"
#include "framework/core/Exception.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr std::size_t FlushSize = 1 << 20;

// Fields are 0-terminated within their width, so strlen stays inside them.
void AppendField(std::string& out, const char* field)
{
    out.append(field, std::strlen(field));
}

bool Flush(std::string& buffer, std::FILE* out)
{
    const bool written = std::fwrite(buffer.data(), 1, buffer.size(), out) == buffer.size();
    buffer.clear();
    return written;
}

bool WriteView(const lstPST& view, std::FILE* out)
{
    std::string buffer;
    buffer.reserve(FlushSize + 2 * sizeof(STData));
    for (const STData* record : view) {
        AppendField(buffer, record->code);
        AppendField(buffer, record->name);
        buffer.push_back('\n');
        if (buffer.size() >= FlushSize && !Flush(buffer, out))
            return false;
    }
    return Flush(buffer, out) && std::fflush(out) == 0;
}

}  // namespace

int StockDumpMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    if (argc != 2) {
        std::fprintf(err, "usage: stockdump FILE\n");
        return 2;
    }
    try {
        const vecST store = ReadMasterFile(ByteString(argv[1]));
        const lstPST view = MakeSortedST(store, SortKeyName);
        if (!WriteView(view, out)) {
            std::fprintf(err, "stockdump: cannot write output: %s\n", std::strerror(errno));
            return 1;
        }
        return 0;
    } catch (const Exception& e) {
        std::fprintf(err, "stockdump: %s\n", e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "stockdump: out of memory\n");
    }
    return 1;
}
