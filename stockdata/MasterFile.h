#pragma once

#include "Parallel.h"
#include "StockRecord.h"

#include <string_view>

class ByteString;
class TStringList;

// A stock master file is plain text, one stock per line, in 1-based byte
// columns: 1-9 the code, 10-47 the name, 48 on ignored. Spaces are data.
// Every line gives a record, an empty one too; nothing is trimmed or checked.
// Lines end as TStringList's do: LF, CR LF or a lone CR.

// Reads the master file `fileName` (a relative name resolves against the
// current directory) into a store in file order. Throws the framework's
// Exception when the file cannot be read, std::bad_alloc on lack of memory.
vecST ReadMasterFile(const ByteString& fileName);
// The same, spread over threads as `parallelism` allows; every thread has
// ended when it returns.
vecST ReadMasterFile(const ByteString& fileName, const Parallelism& parallelism);

// The same for a master file's bytes already in memory.
vecST RecordsFromBytes(std::string_view text);
vecST RecordsFromBytes(std::string_view text, const Parallelism& parallelism);

// The same for lines already split.
vecST RecordsFromLines(const TStringList& lines);
