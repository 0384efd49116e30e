#pragma once

#include "framework/core/RegularFile.h"
#include "stockdata/LoadAdmission.h"
#include "stockdata/LoadProgress.h"
#include "stockdata/Parallel.h"
#include "stockdata/StockRecord.h"

#include <cstddef>
#include <string>
#include <string_view>

class ByteString;

// A stock master file is plain text, one stock per line, in 1-based byte
// columns: 1-9 the code, 10-47 the name, 48 on ignored. Spaces are data.
// Every line gives a record, an empty one too; nothing is trimmed or checked.
// Lines are cut by the line rule (framework/core/LineRule.h).

// Reads the master file `fileName` (a relative name resolves against the
// current directory) into a store in file order. Throws the framework's
// Exception when the file cannot be read, std::bad_alloc on lack of memory.
// Before the records are made, the lines are counted and the load admitted
// by LoadLimits: a load too large for the memory the process can get is
// refused with the framework's Exception instead of being killed later.
vecST ReadMasterFile(const ByteString& fileName);

struct LoadOptions {
    Parallelism parallelism = Parallelism::OfMachine();  // every thread has ended when the load returns
    LoadLimits limits;
    // Where the load reports how far it has come and learns that it must
    // stop (throwing LoadCancelled); none when null.
    LoadProgress* progress = nullptr;
    // A file that reports no size, or a stream, holding more bytes is
    // refused as not a master file.
    std::size_t sizelessCap = SizelessFileCap;
};
vecST ReadMasterFile(const ByteString& fileName, const LoadOptions& options);

// The same for a master file arriving on a stream without a size (a pipe,
// standard input), read to its end up to a cap; `name` names it in messages.
vecST ReadMasterStream(int fd, const std::string& name, const LoadOptions& options);

// The same for a master file's bytes already in memory.
vecST RecordsFromBytes(std::string_view text, const Parallelism& parallelism = Parallelism::OfMachine());
