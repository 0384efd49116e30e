#include "StockDump.h"

#include <malloc.h>

int main(int argc, char** argv)
{
    // Serve even large blocks from the heap and keep freed memory: the file's
    // text, freed after reading, then holds the view, instead of the kernel
    // handing out (and faulting in) fresh pages for it.
    ::mallopt(M_MMAP_MAX, 0);
    ::mallopt(M_TRIM_THRESHOLD, -1);
    return StockDumpMain(argc, argv, stdout, stderr);
}
