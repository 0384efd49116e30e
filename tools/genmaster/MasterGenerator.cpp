#include "genmaster/MasterGenerator.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace {

constexpr std::size_t NameWidth = 38;

// The word lists are wrapped by hand, a few words a line.
// clang-format off
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

// CP949 Hangul: fund houses and fund words.
constexpr std::array<std::string_view, 5> FundHouses = {
    "\xB9\xCC\xB7\xA1\xBF\xA1\xBC\xC2",  // 미래에셋
    "\xBB\xEF\xBC\xBA",                  // 삼성
    "\xC7\xD1\xB1\xB9\xC5\xF5\xC0\xDA",  // 한국투자
    "\xC5\xB0\xBF\xF2",                  // 키움
    "\xBD\xC5\xC7\xD1",                  // 신한
};
constexpr std::array<std::string_view, 10> FundWords = {
    "\xC0\xCE\xB5\xA6\xBD\xBA",          // 인덱스
    "\xC3\xA4\xB1\xC7",                  // 채권
    "\xC8\xA5\xC7\xD5",                  // 혼합
    "\xB9\xE8\xB4\xE7",                  // 배당
    "\xB7\xB9\xB9\xF6\xB8\xAE\xC1\xF6",  // 레버리지
    "\xC0\xCE\xB9\xF6\xBD\xBA",          // 인버스
    "\xBC\xB1\xB9\xB0",                  // 선물
    "Futures", "Leverage", "TR"};
// clang-format on

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
    switch (options_.style) {
    case MasterStyle::Mixed:
        name = MixedName();
        break;
    case MasterStyle::Vocabulary:
        name = VocabularyName();
        break;
    case MasterStyle::Funds:
        name = FundName();
        break;
    }
    name.resize(NameWidth, ' ');  // cuts a long name, Hangul possibly mid-character, as the columns do
    return name;
}

std::string MasterGenerator::VocabularyName()
{
    std::string name = std::string(Companies[Below(Companies.size())]);
    for (std::uint64_t words = Below(4); words > 0; --words)
        name.append(" ").append(Businesses[Below(8)]);
    return name;
}

std::string MasterGenerator::FundName()
{
    std::string name = std::string(FundHouses[Below(FundHouses.size())]);
    name.append(Below(2) == 0 ? " KODEX 200" : " TIGER 200");
    for (std::uint64_t words = 1 + Below(3); words > 0; --words)
        name.append(" ").append(FundWords[Below(FundWords.size())]);
    char serial[8];
    std::snprintf(serial, sizeof serial, " %u", static_cast<unsigned>(Below(100)));
    return name.append(serial);
}

std::string MasterGenerator::MixedName()
{
    std::string name;
    const std::uint64_t kind = Below(100);
    if (kind < 5) {
        name = HangulNames[Below(HangulNames.size())];
        if (Below(2) == 0)
            name += "우";  // preferred share
    } else if (kind < 35) {
        name = std::string(Companies[Below(Companies.size())]) + " " +
               std::string(Businesses[Below(Businesses.size())]) + std::string(Classes[Below(Classes.size())]);
    } else {
        // Warrants and structured products: most names in a real master file.
        char serial[16];
        std::snprintf(serial, sizeof serial, " %04u", static_cast<unsigned>(Below(10000)));
        name = std::string(Companies[Below(Companies.size())]) + serial + " " +
               std::string(Companies[Below(Companies.size())]) + (Below(2) == 0 ? " Call" : " Put");
    }
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
    if (options_.style == MasterStyle::Funds)
        out += Below(2) == 0 ? "\n" : "\r\n";
    else
        out += options_.lineEnd;
}
