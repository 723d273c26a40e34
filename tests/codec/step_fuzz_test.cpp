// Random and mutated streams from fixed seeds: the parser never crashes, never reads past the
// bytes it is given, and whatever it indexes is consistent with those bytes.
#include <util/step.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>

#include "codec/step_reader.h"

namespace {

// Input bytes placed so that they end exactly where a no-access page begins: reading one byte too
// far faults at once instead of going unnoticed.
class GuardedBytes {
public:
    GuardedBytes()
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        m_page = info.dwPageSize;
        m_base = static_cast<char*>(VirtualAlloc(nullptr, 2 * m_page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (m_base == nullptr || !VirtualProtect(m_base + m_page, m_page, PAGE_NOACCESS, &old)) {
            throw std::runtime_error("no guard page");
        }
    }
    ~GuardedBytes() { VirtualFree(m_base, 0, MEM_RELEASE); }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    size_t capacity() const { return m_page; }
    const char* Place(const std::string& bytes)
    {
        char* at = m_base + m_page - bytes.size();
        memcpy(at, bytes.data(), bytes.size());
        return at;
    }

private:
    size_t m_page = 0;
    char* m_base = nullptr;
};

// Checks what a parse exposes against the input bytes. Every heap call of a test process validates
// the whole heap, which is slow, so the checks work in scratch memory allocated once.
class IndexChecker {
public:
    explicit IndexChecker(size_t capacity) : m_scratch(capacity + 1) { m_shape.reserve(1024); }

    // Everything must point inside the input and agree with its bytes.
    void Check(const CKxStep& step, int sections, const char* input, size_t size, const std::set<int>& nest)
    {
        int count = 0;
        int previousEnd = 0;
        for (; const CKxStepSec* section = step.GetCec(count); ++count) {
            const int start = section->GetStartPos();
            const int length = section->GetLenth();
            ASSERT_GE(start, previousEnd);
            ASSERT_GT(length, 0);
            ASSERT_LE(static_cast<size_t>(start) + length, size);
            ASSERT_GT(section->GetCount(), 0);
            previousEnd = start + length;
            for (int f = 0; f < section->GetCount(); ++f) {
                ASSERT_NO_FATAL_FAILURE(CheckField(*section, f, input, size, nest));
            }
        }
        ASSERT_EQ(count, sections);
    }

    // Positions, lengths and a hash of every value, to compare two indexes of the same bytes.
    const std::vector<int>& Shape(const CKxStep& step)
    {
        m_shape.clear();
        for (int s = 0; const CKxStepSec* section = step.GetCec(s); ++s) {
            m_shape.insert(m_shape.end(), {section->GetStartPos(), section->GetLenth(), section->GetCount()});
            for (int f = 0; f < section->GetCount(); ++f) {
                int tag = 0;
                const int length = section->GetValue(f, tag, m_scratch.data(), static_cast<int>(m_scratch.size()));
                m_shape.insert(m_shape.end(), {tag, section->GetSubStepPos(f), section->GetValuePos(f), length,
                                               Hash(m_scratch.data(), length)});
            }
        }
        return m_shape;
    }

private:
    void CheckField(const CKxStepSec& section, int f, const char* input, size_t size, const std::set<int>& nest)
    {
        const int tag = section.GetID(f);
        const int tagPos = section.GetSubStepPos(f);
        const int valuePos = section.GetValuePos(f);
        int outTag = 0;
        const int length = section.GetValue(f, outTag, m_scratch.data(), static_cast<int>(m_scratch.size()));
        ASSERT_EQ(outTag, tag);
        ASSERT_GT(tag, 0);
        ASSERT_GE(tagPos, 0);
        ASSERT_LT(tagPos, valuePos);
        ASSERT_GE(length, 0);
        const size_t end = static_cast<size_t>(valuePos) + length;
        ASSERT_LT(end, size); // room for the byte that ended the value
        ASSERT_EQ(input[valuePos - 1], '=');
        ASSERT_EQ(memcmp(m_scratch.data(), input + valuePos, length), 0);
        ASSERT_EQ(TagOf(input + tagPos, valuePos - 1 - tagPos), tag);
        ASSERT_EQ(section.GetSubStep(f, outTag, nullptr, 0), static_cast<int>(end) - tagPos);

        // The value ended at a 0x01, or at a 0x02 that its tag does not nest.
        const bool nested = nest.count(tag) != 0;
        ASSERT_TRUE(input[end] == '\x01' || (input[end] == '\x02' && !nested));
        ASSERT_EQ(memchr(input + valuePos, '\x01', length), nullptr);
        if (!nested && length > 1) {
            ASSERT_EQ(memchr(input + valuePos + 1, '\x02', length - 1), nullptr)
                << "only an empty value can run over a 0x02";
        }
    }

    // The tag that the C library's conversion gives for tag text, held at the int limits.
    int TagOf(const char* text, int length)
    {
        memcpy(m_scratch.data(), text, length);
        m_scratch[length] = '\0';
        const long long value = std::strtoll(m_scratch.data(), nullptr, 10);
        return static_cast<int>(value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value);
    }

    static int Hash(const char* bytes, int length)
    {
        unsigned hash = 2166136261u;
        for (int i = 0; i < length; ++i) {
            hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 16777619u;
        }
        return static_cast<int>(hash);
    }

    std::vector<char> m_scratch;
    std::vector<int> m_shape;
};

// Bytes that matter to the parser come up often; other bytes now and then.
char RandomByte(std::mt19937& rng)
{
    static const char kAlphabet[] = "0123456789==\x01\x01\x02\x02-+ x";
    const unsigned pick = rng() % 24;
    return pick < sizeof(kAlphabet) - 1 ? kAlphabet[pick] : static_cast<char>(rng());
}

void RandomBytes(std::string& out, std::mt19937& rng)
{
    out.resize(rng() % 64);
    for (char& c : out) {
        c = RandomByte(rng);
    }
}

// A well-formed stream of up to three records, written straight into `out`.
void ValidStream(std::string& out, std::mt19937& rng)
{
    out.clear();
    const int records = rng() % 4;
    for (int r = 0; r < records; ++r) {
        const int fields = 1 + rng() % 5;
        for (int f = 0; f < fields; ++f) {
            char tag[16];
            out.append(tag, snprintf(tag, sizeof(tag), "%u=", 1 + rng() % 20));
            for (int length = rng() % 6; length > 0; --length) {
                out.push_back(static_cast<char>('0' + rng() % 40));
            }
            out.push_back('\x01');
        }
        out.push_back('\x02');
    }
}

void Mutate(std::string& bytes, std::mt19937& rng)
{
    for (int edits = 1 + rng() % 4; edits > 0; --edits) {
        const size_t at = bytes.empty() ? 0 : rng() % bytes.size();
        switch (rng() % 4) {
        case 0:
            if (!bytes.empty()) {
                bytes[at] = RandomByte(rng);
            }
            break;
        case 1:
            bytes.insert(bytes.begin() + at, RandomByte(rng));
            break;
        case 2:
            if (!bytes.empty()) {
                bytes.erase(at, 1 + rng() % 3);
            }
            break;
        default:
            bytes.resize(at); // cut short
            break;
        }
    }
}

// Nesting sets made once: tags that the generated streams use, plus -1 and 0.
const std::set<int>& RandomNest(std::mt19937& rng)
{
    static const std::set<int> kSets[] = {{}, {}, {}, {1}, {2, 3}, {-1}, {0}, {9}, {-1, 0, 1, 2, 3, 9}};
    return kSets[rng() % (sizeof(kSets) / sizeof(kSets[0]))];
}

} // namespace

TEST(StepFuzz, RandomAndMutatedStreamsAreIndexedSafely)
{
    std::mt19937 rng(20240611);
    GuardedBytes guarded;
    IndexChecker checker(guarded.capacity());
    CKxStep step, again;
    std::string input;
    std::vector<int> shape;
    input.reserve(guarded.capacity());
    shape.reserve(1024);
    int sectionsSeen = 0;
    int fieldsSeen = 0;
    const std::set<int>* nest = nullptr;
    for (int round = 0; round < 100000; ++round) {
        if (round % 64 == 0) {
            nest = &RandomNest(rng); // changed now and then only: each change costs checked heap calls
        }
        if (round % 2 == 0) {
            RandomBytes(input, rng);
        } else {
            ValidStream(input, rng);
            Mutate(input, rng);
        }
        ASSERT_LE(input.size(), guarded.capacity());
        const char* bytes = guarded.Place(input);
        const int sections = step.Parser(bytes, static_cast<int>(input.size()), *nest);
        ASSERT_NO_FATAL_FAILURE(checker.Check(step, sections, bytes, input.size(), *nest)) << "round " << round;

        // Parsing is a function of the bytes: a second parse and a copy index the same.
        shape = checker.Shape(step);
        ASSERT_EQ(again.Parser(input.data(), static_cast<int>(input.size()), *nest), sections);
        ASSERT_EQ(checker.Shape(again), shape) << "round " << round;
        if (round % 64 == 0) {
            const CKxStep copy(step);
            ASSERT_EQ(checker.Shape(copy), shape) << "round " << round;
        }

        sectionsSeen += sections;
        for (int s = 0; s < sections; ++s) {
            fieldsSeen += step.GetCec(s)->GetCount();
        }
    }
    // The inputs must reach the interesting paths, not just be rejected.
    EXPECT_GT(sectionsSeen, 50000);
    EXPECT_GT(fieldsSeen, 100000);
}

TEST(StepFuzz, ExactSizedHeapInputs)
{
    // Inputs in heap blocks of exactly their size, for the heap checker to watch.
    std::mt19937 rng(77);
    IndexChecker checker(4096);
    HANDLE heap = GetProcessHeap();
    CKxStep step;
    std::string input;
    for (int round = 0; round < 2000; ++round) {
        ValidStream(input, rng);
        Mutate(input, rng);
        char* block = static_cast<char*>(HeapAlloc(heap, 0, input.size()));
        ASSERT_NE(block, nullptr);
        memcpy(block, input.data(), input.size());
        const std::set<int>& nest = RandomNest(rng);
        const int sections = step.Parser(block, static_cast<int>(input.size()), nest);
        ASSERT_NO_FATAL_FAILURE(checker.Check(step, sections, block, input.size(), nest)) << "round " << round;
        HeapFree(heap, 0, block);
    }
}

TEST(StepFuzz, BuiltRecordsParseBackExactly)
{
    std::mt19937 rng(4242);
    const std::set<int> nest = {7, 70000};
    CKxStep built, parsed;
    std::string stream;
    std::vector<std::vector<StepField>> records; // reused, and short values stay out of the heap
    char value[16];
    for (int round = 0; round < 2000; ++round) {
        built.Clear();
        records.resize(1 + rng() % 5);
        for (auto& record : records) {
            CKxStepSec* section = built.AppendSec();
            record.resize(1 + rng() % 8);
            for (auto& field : record) {
                const int choice = rng() % 10;
                field.first = choice == 0 ? 7 : choice == 1 ? 70000 : choice == 2 ? INT_MAX : 1 + rng() % 500;
                field.second.resize(rng() % 12);
                for (char& c : field.second) {
                    // Any byte but 0x01; 0x02 only where the tag nests it.
                    do {
                        c = static_cast<char>(rng());
                    } while (c == '\x01' || (c == '\x02' && !nest.count(field.first)));
                }
                section->AddValue(field.first, field.second.data(), static_cast<int>(field.second.size()));
            }
        }
        built.GetStepStream(stream);
        ASSERT_EQ(parsed.Parser(stream.data(), static_cast<int>(stream.size()), nest),
                  static_cast<int>(records.size()));
        for (int s = 0; s < static_cast<int>(records.size()); ++s) {
            const CKxStepSec* section = parsed.GetCec(s);
            ASSERT_EQ(section->GetStartPos(), built.GetCec(s)->GetStartPos());
            ASSERT_EQ(section->GetLenth(), built.GetCec(s)->GetLenth() + 1); // plus its 0x02
            ASSERT_EQ(section->GetCount(), static_cast<int>(records[s].size()));
            for (int f = 0; f < section->GetCount(); ++f) {
                int tag = 0;
                const int length = section->GetValue(f, tag, value, sizeof(value));
                ASSERT_EQ(tag, records[s][f].first) << "round " << round;
                ASSERT_EQ(std::string(value, length), records[s][f].second) << "round " << round;
            }
        }
    }
}
