#include "StockDump.h"

int main(int argc, char** argv)
{
    return StockDumpMain(argc, argv, stdout, stderr);
}
