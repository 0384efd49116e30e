#pragma once

#include "stockdata/StockRecord.h"

class ByteString;
class TStringList;

// A stock master file is plain text, one stock per line, in 1-based byte
// columns: 1-9 the code, 10-47 the name, 48 on ignored. Spaces are data.
// Every line gives a record, an empty one too; nothing is trimmed or checked.

// Reads the master file `fileName` (a relative name resolves against the
// current directory) into a store in file order. Throws the framework's
// Exception when the file cannot be read, std::bad_alloc on lack of memory.
vecST ReadMasterFile(const ByteString& fileName);

// The same for lines already in memory.
vecST RecordsFromLines(const TStringList& lines);
