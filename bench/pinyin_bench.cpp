// Pinyin matching and sorting, as ratios to plain loops over the same characters in the same run.
#include <util/pinyin.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

namespace {

double Seconds()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

template <typename Work>
double Time(Work work)
{
    const double start = Seconds();
    work();
    return Seconds() - start;
}

} // namespace

int main()
{
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> hanzi(0x4E00, 0x9FA5);
    std::uniform_int_distribution<int> letter('A', 'Z');

    const size_t characterCount = 1000000;
    std::vector<wchar_t> characters(characterCount), keys(characterCount);
    for (size_t i = 0; i < characterCount; ++i) {
        characters[i] = wchar_t(hanzi(random));
        keys[i] = wchar_t(letter(random));
    }
    CKXMatchCH::InitStaticData();

    size_t matches = 0, plain = 0;
    const double matchTime = Time([&] {
        for (size_t i = 0; i < characterCount; ++i) {
            matches += MatchPinYin(characters[i], keys[i]) ? 1 : 0;
        }
    });
    const double loopTime = Time([&] {
        for (size_t i = 0; i < characterCount; ++i) {
            plain += (characters[i] & 0x1F) == (keys[i] & 0x1F) ? 1 : 0;
        }
    });

    std::vector<std::wstring> names(100000);
    for (std::wstring& name : names) {
        for (int i = 0; i < 4; ++i) {
            name += wchar_t(hanzi(random));
        }
    }
    std::vector<std::wstring> byPinyin = names, byCode = names;
    const double pinyinSortTime = Time([&] {
        std::sort(byPinyin.begin(), byPinyin.end(),
                  [](const std::wstring& a, const std::wstring& b) { return wcsCmpPY(a.c_str(), b.c_str()) < 0; });
    });
    const double codeSortTime = Time([&] {
        std::sort(byCode.begin(), byCode.end(),
                  [](const std::wstring& a, const std::wstring& b) { return wcscmp(a.c_str(), b.c_str()) < 0; });
    });

    std::printf("initials matching: %.1f million characters/s (target >= 50), %.2fx a plain loop (%zu matches, %zu)\n",
                double(characterCount) / matchTime / 1e6, matchTime / loopTime, matches, plain);
    std::printf("sorting 100,000 names: wcsCmpPY %.1f ms, %.2fx a wcscmp sort\n", pinyinSortTime * 1000,
                pinyinSortTime / codeSortTime);
    return 0;
}
