#include "genmaster/MasterGenerator.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace {

constexpr std::size_t NameWidth = 38;

constexpr std::array<std::string_view, 24> Companies = {
    "Samsung", "Hyundai", "LG", "SK", "Korea", "Daewoo", "Hanwha", "Lotte",
    "Kia", "Posco", "Doosan", "Shinhan", "KB", "Hana", "Woori", "Naver",
    "Kakao", "Celltrion", "Amorepacific", "CJ", "GS", "Hanmi", "Kumho", "Hyosung"};
constexpr std::array<std::string_view, 20> Businesses = {
    "Electronics", "Motor", "Chemical", "Steel", "Heavy Industries", "Biologics",
    "Pharm", "Financial Group", "Securities", "Life Insurance", "Telecom", "Energy",
    "Engineering & Construction", "Shipbuilding", "Holdings", "Display", "Innotek",
    "Logistics", "Foods", "Tire"};
constexpr std::array<std::string_view, 5> Classes = {"", "", " Pref", " 2Pref", " B"};
// UTF-8 Hangul company names, 3 bytes a syllable.
constexpr std::array<std::string_view, 8> HangulNames = {
    "삼성전자", "현대자동차", "엘지화학", "에스케이하이닉스", "카카오뱅크", "셀트리온", "한화솔루션", "포스코홀딩스"};

}  // namespace

std::uint64_t MasterGenerator::Next()
{
    // splitmix64: small, fast, and fixed by its definition.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::string MasterGenerator::Name()
{
    std::string name;
    const std::uint64_t kind = Below(100);
    if (kind < 5) {
        name = HangulNames[Below(HangulNames.size())];
        if (Below(2) == 0)
            name += "우";  // preferred share
    } else if (kind < 35) {
        name = std::string(Companies[Below(Companies.size())]) + " " + std::string(Businesses[Below(Businesses.size())]) +
               std::string(Classes[Below(Classes.size())]);
    } else {
        // Warrants and structured products: most names in a real master file.
        char serial[16];
        std::snprintf(serial, sizeof serial, " %04u", static_cast<unsigned>(Below(10000)));
        name = std::string(Companies[Below(Companies.size())]) + serial + " " +
               std::string(Companies[Below(Companies.size())]) + (Below(2) == 0 ? " Call" : " Put");
    }
    name.resize(NameWidth, ' ');  // cuts a long name, Hangul possibly mid-character, as the columns do
    return name;
}

void MasterGenerator::AppendLine(std::string& out)
{
    char code[16];
    std::snprintf(code, sizeof code, "%06u   ", static_cast<unsigned>(Below(1000000)));
    char data[16];
    std::snprintf(data, sizeof data, "%010u%s", static_cast<unsigned>(Below(10000000)), Below(3) == 0 ? "KQ" : "KS");
    out += code;
    out += Name();
    out += "  ";
    out += data;
    out += options_.lineEnd;
}
