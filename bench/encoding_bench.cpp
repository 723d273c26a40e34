// Speed of the encoding family, each as a ratio against a reference measured in the same run.
#include <util/base64.h>
#include <util/gzip.h>
#include <util/hash.h>
#include <util/zip.h>

#include <windows.h>

#include <intrin.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

double Seconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The best of several runs, to keep other processes' noise out.
template <typename Work>
double Best(int runs, Work work)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double start = Seconds();
        work();
        best = std::min(best, Seconds() - start);
    }
    return best;
}

std::string SampleText(size_t size)
{
    std::mt19937 random(5);
    static const char* words[] = {"price ", "volume ", "600000 ", "\xD6\xD0\xCE\xC4 ", "order ", "12.50 ", "\r\n"};
    std::string text;
    while (text.size() < size) {
        text += words[random() % 7];
    }
    text.resize(size);
    return text;
}

// target 0: no target, the ratio is for information.
void Report(const char* what, double ours, double reference, const char* referenceName, double target = 0)
{
    std::printf("%-34s %8.2f ms  %-22s %8.2f ms  ratio %.2f", what, ours * 1e3, referenceName, reference * 1e3,
                ours / reference);
    if (target > 0) {
        std::printf(" (target <= %.1f)", target);
    }
    std::printf("\n");
}

volatile unsigned long g_sink;

void BenchCrc(const std::string& data)
{
    MCRC32 crc;
    const double ours = Best(25, [&] { g_sink = crc.CheckCode(data.data(), data.size(), 0xFFFFFFFF); });
    const double zlib = Best(
        5, [&] { g_sink = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())); });
    Report("MCRC32::CheckCode (64 MiB)", ours, zlib, "zlib crc32");
}

void BenchMd5(const std::string& data)
{
    char digest[16];
    const double seconds = Best(3, [&] { MMD5().MD5(data.data(), static_cast<int>(data.size()), digest); });
    // Cycles per byte from the time-stamp counter: the best of many runs over a piece that stays in the
    // cache, since one long run on a shared machine measures the neighbours.
    const int piece = 256 << 10;
    unsigned long long cycles = ~0ull;
    for (int run = 0; run < 200; ++run) {
        const unsigned long long start = __rdtsc();
        MMD5().MD5(data.data(), piece, digest);
        cycles = std::min(cycles, __rdtsc() - start);
    }
    std::printf("%-34s %8.1f MB/s  %.2f cycles/byte (target <= 5.5)\n", "MMD5::MD5 (64 MiB)",
                static_cast<double>(data.size()) / seconds / 1e6, static_cast<double>(cycles) / piece);
}

void BenchBase64(const std::string& data)
{
    const int room = Base64EncodeGetRequiredLength(static_cast<int>(data.size()), 0);
    std::string text(static_cast<size_t>(room), '\0');
    int textLength = room;
    std::string copy(data.size(), '\0');
    std::string decoded(text.size(), '\0');
    // Each is timed right after a run of its own that warms its buffers, and the three take turns so
    // that a busy moment of the shared machine falls on all alike; each keeps its best round.
    const auto warmed = [](auto work) {
        work();
        return Best(2, work);
    };
    double copyTime = 1e30, encode = 1e30, decode = 1e30;
    for (int round = 0; round < 25; ++round) {
        copyTime = std::min(copyTime, warmed([&] { std::memcpy(&copy[0], data.data(), data.size()); }));
        encode = std::min(encode, warmed([&] {
                              textLength = room;
                              Base64Encode(reinterpret_cast<const unsigned char*>(data.data()),
                                           static_cast<int>(data.size()), &text[0], &textLength, 0);
                          }));
        decode = std::min(decode, warmed([&] {
                              int length = static_cast<int>(decoded.size());
                              Base64Decode(text.data(), textLength, reinterpret_cast<unsigned char*>(&decoded[0]),
                                           &length);
                          }));
    }
    Report("Base64Encode (16 MiB)", encode, copyTime, "memcpy", 3);
    Report("Base64Decode (16 MiB)", decode, copyTime, "memcpy", 4);
}

void BenchGZCompress(std::string data)
{
    std::vector<char> out;
    const double ours = Best(3, [&] { GZCompress(&data[0], static_cast<int>(data.size()), out); });
    std::vector<Bytef> reference(compressBound(static_cast<uLong>(data.size())));
    const double zlib = Best(3, [&] {
        uLongf size = static_cast<uLongf>(reference.size());
        compress2(reference.data(), &size, reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                  9);
    });
    Report("GZCompress (8 MiB, level 9)", ours, zlib, "compress2 level 9");
}

void BenchZipFolder()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"util-bench-zip";
    const std::wstring folder = root + L"\\files";
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<std::string> contents;
    for (int i = 0; i < 1000; ++i) {
        contents.push_back(SampleText(1000 + (i * 37) % 8000));
        const std::wstring path = folder + L"\\file" + std::to_wstring(i) + L".txt";
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(file, contents.back().data(), static_cast<DWORD>(contents.back().size()), &written, nullptr);
        CloseHandle(file);
    }
    const double ours = Best(7, [&] {
        HZIP archive = CreateZipZ(nullptr, 64 << 20, ZIPKIND_MEMORY);
        AddFolderContent(archive, root.c_str(), L"files");
        CloseZipZ(archive);
    });
    // The floor: each file read whole with plain calls, compressed in one call, its bytes appended.
    std::vector<char> input(16000);
    std::vector<Bytef> archive(64 << 20);
    const double plain = Best(7, [&] {
        size_t used = 0;
        for (int i = 0; i < 1000; ++i) {
            const std::wstring path = folder + L"\\file" + std::to_wstring(i) + L".txt";
            HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            DWORD read = 0;
            ReadFile(file, input.data(), static_cast<DWORD>(input.size()), &read, nullptr);
            CloseHandle(file);
            uLongf size = static_cast<uLongf>(archive.size() - used);
            compress2(archive.data() + used, &size, reinterpret_cast<const Bytef*>(input.data()), read,
                      Z_DEFAULT_COMPRESSION);
            used += size;
        }
    });
    Report("zip folder of 1,000 files", ours, plain, "read+compress2+append", 1.5);
    for (int i = 0; i < 1000; ++i) {
        DeleteFileW((folder + L"\\file" + std::to_wstring(i) + L".txt").c_str());
    }
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(root.c_str());
}

// A memory archive of count small entries named "folder/entry<i>.txt"; null on failure.
HZIP ArchiveOfEntries(int count, void*& block, unsigned long& size)
{
    HZIP writer = CreateZipZ(nullptr, 8 << 20, ZIPKIND_MEMORY);
    char content[] = "12.50";
    for (int i = 0; i < count; ++i) {
        ZipAdd(writer, (L"folder/entry" + std::to_wstring(i) + L".txt").c_str(), content, sizeof(content) - 1,
               ZIPKIND_MEMORY);
    }
    ZipGetMemory(writer, &block, &size);
    return writer;
}

// Time of one look-up by name (in any case) in an archive of count entries, after the first.
double FindTime(int count)
{
    void* block = nullptr;
    unsigned long size = 0;
    HZIP writer = ArchiveOfEntries(count, block, size);
    HZIP reader = OpenZipU(block, size, ZIPKIND_MEMORY);
    std::vector<std::wstring> names;
    for (int i = 0; i < 1000; ++i) {
        names.push_back(L"FOLDER\\Entry" + std::to_wstring(static_cast<long long>(i) * 7919 % count) + L".TXT");
    }
    int index = -1;
    ZIPENTRYW entry;
    FindZipItemW(reader, names[0].c_str(), true, &index, &entry);
    const double seconds = Best(15, [&] {
        for (const std::wstring& name : names) {
            FindZipItemW(reader, name.c_str(), true, &index, &entry);
        }
    });
    CloseZipU(reader);
    CloseZipZ(writer);
    return seconds / static_cast<double>(names.size());
}

void BenchFindZipItem()
{
    const double small = FindTime(100), large = FindTime(10000);
    std::printf("%-34s %8.2f us  %-22s %8.2f us  ratio %.2f (target <= 2.0: not linear)\n",
                "FindZipItemW, 10,000 entries", large * 1e6, "100 entries", small * 1e6, large / small);
}

} // namespace

int main()
{
    std::string random(64 << 20, '\0');
    std::mt19937 generator(1);
    for (size_t i = 0; i < random.size(); i += 4) {
        const unsigned value = generator();
        std::memcpy(&random[i], &value, 4);
    }
    BenchCrc(random);
    BenchMd5(random);
    BenchBase64(random.substr(0, 16 << 20));
    BenchGZCompress(SampleText(8 << 20));
    BenchZipFolder();
    BenchFindZipItem();
    return 0;
}
