#pragma once

#include <string>

// The stocks the picking tests type into, as a master file: read and sorted
// by name, they come in the order of PickingRow, capitals before small
// letters and Hangul last; Samsung Electronics twice, under two codes. LG
// Chem's line runs to the end of the name's columns, as in fixed-width files,
// so its field holds padding.
inline const std::string PickingMaster =
    "005930   Samsung Electronics\r\n"
    "000660   SK Hynix\r\n"
    "373220   LG Energy Solution\r\n"
    "000270   Kia\r\n"
    "051910   LG Chem" +
    std::string(31, ' ') +
    "\r\n"
    "005935   Samsung Electronics\r\n"
    "006400   Samsung SDI\r\n"
    "999001   kia motors\r\n"
    "005930   삼성전자\r\n"
    "068270   셀트리온\r\n";

enum PickingRow {
    Kia,
    LgChem,
    LgEnergy,
    SkHynix,
    Samsung005930,
    Samsung005935,
    SamsungSdi,
    SmallKia,
    SamsungHangul,
    Celltrion,
    PickingRows
};
