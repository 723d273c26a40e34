// Step codec throughput on a message of 10,000 trade records of about 20 fields each, measured side
// by side with the plainest work over the same bytes: a memchr scan for 0x01 (parsing) and appending
// the same field texts to a string (building).
#include <util/step.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

const int kRecords = 10000;
const int kRounds = 30;

// One field to write: either bytes or a number, as a client would pass them.
struct FieldSource {
    int tag;
    std::string text; // the value's bytes (numbers too, for the baseline)
    bool isNumber;
    int number;
};

// A trade-query record: market, code, name (GBK), prices, volumes, dates, flags, ids.
std::vector<std::vector<FieldSource>> MakeRecords()
{
    static const char* const kNames[] = {"\xC6\xD6\xB7\xA2\xD2\xF8\xD0\xD0", "\xC6\xBD\xB0\xB2\xD2\xF8\xD0\xD0",
                                         "\xB9\xF3\xD6\xDD\xC3\xA9\xCC\xA8", "\xD6\xD0\xB9\xFA\xC6\xBD\xB0\xB2"};
    std::mt19937 rng(1);
    std::vector<std::vector<FieldSource>> records(kRecords);
    char text[64];
    for (auto& record : records) {
        const auto bytes = [&](int tag, const std::string& value) { record.push_back({tag, value, false, 0}); };
        const auto number = [&](int tag, int value) { record.push_back({tag, std::to_string(value), true, value}); };
        const auto price = [&](int tag) {
            snprintf(text, sizeof(text), "%u.%02u", 1 + rng() % 300, rng() % 100);
            bytes(tag, text);
        };
        bytes(1, rng() % 2 ? "SH" : "SZ");
        snprintf(text, sizeof(text), "%06u", rng() % 1000000);
        bytes(2, text);
        bytes(3, kNames[rng() % 4]);
        price(4);
        price(5);
        number(6, static_cast<int>(rng() % 100000) * 100);
        number(7, static_cast<int>(rng() % 100000) * 100);
        snprintf(text, sizeof(text), "%u.%02u", rng() % 10000000, rng() % 100);
        bytes(8, text);
        bytes(9, "20240611");
        snprintf(text, sizeof(text), "%02u%02u%02u", 9 + rng() % 6, rng() % 60, rng() % 60);
        bytes(10, text);
        number(11, static_cast<int>(rng() % 90000000) + 10000000);
        snprintf(text, sizeof(text), "A%09u", rng() % 1000000000);
        bytes(12, text);
        bytes(13, rng() % 2 ? "B" : "S");
        number(14, static_cast<int>(rng() % 8));
        number(15, static_cast<int>(rng() % 3));
        price(16);
        number(17, static_cast<int>(rng() % 1000));
        bytes(18, rng() % 4 ? "" : "\xD2\xD1\xB3\xC9\xBD\xBB"); // often empty, as remarks are
        number(19, 0);
        snprintf(text, sizeof(text), "%u", rng() % 100000);
        bytes(20, text);
        number(21, 1);
    }
    return records;
}

void BuildStep(CKxStep& step, const std::vector<std::vector<FieldSource>>& records, std::string& stream)
{
    step.Clear();
    for (const auto& record : records) {
        CKxStepSec* section = step.AppendSec();
        for (const FieldSource& field : record) {
            if (field.isNumber) {
                section->AddValue(field.tag, field.number);
            } else {
                section->AddValue(field.tag, field.text.data(), static_cast<int>(field.text.size()));
            }
        }
    }
    step.GetStepStream(stream);
}

// The same bytes appended field by field, from texts formatted beforehand.
void AppendTexts(const std::vector<std::vector<std::string>>& fieldTexts, std::string& stream)
{
    stream.clear();
    for (const auto& record : fieldTexts) {
        for (const std::string& text : record) {
            stream += text;
        }
        stream += '\x02';
    }
}

int ParseStep(CKxStep& step, const std::string& stream)
{
    const int sections = step.Parser(stream.data(), static_cast<int>(stream.size()), std::set<int>());
    int fields = 0;
    for (int s = 0; s < sections; ++s) {
        fields += step.GetCec(s)->GetCount();
    }
    return fields;
}

int CountFieldEnds(const std::string& stream)
{
    int count = 0;
    const char* at = stream.data();
    const char* const end = at + stream.size();
    while ((at = static_cast<const char*>(memchr(at, '\x01', end - at))) != nullptr) {
        ++count;
        ++at;
    }
    return count;
}

// Workloads timed in turns, round after round, so that a busy machine slows them alike; each keeps
// its best time.
class Race {
public:
    void Add(const char* name, std::function<size_t()> work) { m_runners.push_back({name, std::move(work), 1e30}); }
    void Run(int rounds)
    {
        for (int round = 0; round < rounds; ++round) {
            for (Runner& runner : m_runners) {
                const auto start = std::chrono::steady_clock::now();
                m_sink += runner.work();
                const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
                runner.best = std::min(runner.best, took.count());
            }
        }
    }
    double Best(const char* name) const
    {
        for (const Runner& runner : m_runners) {
            if (strcmp(runner.name, name) == 0) {
                return runner.best;
            }
        }
        return 0;
    }
    size_t sink() const { return m_sink; }

private:
    struct Runner {
        const char* name;
        std::function<size_t()> work;
        double best;
    };
    std::vector<Runner> m_runners;
    size_t m_sink = 0;
};

void Report(const char* what, double seconds, const char* baseline, double baselineSeconds)
{
    printf("%-28s %8.3f ms %10.0f records/s  %5.2fx %s (%.3f ms)\n", what, seconds * 1e3, kRecords / seconds,
           seconds / baselineSeconds, baseline, baselineSeconds * 1e3);
}

} // namespace

int main()
{
    const auto records = MakeRecords();
    std::vector<std::vector<std::string>> fieldTexts;
    size_t fieldCount = 0;
    for (const auto& record : records) {
        fieldTexts.emplace_back();
        for (const FieldSource& field : record) {
            fieldTexts.back().push_back(std::to_string(field.tag) + "=" + field.text + '\x01');
        }
        fieldCount += record.size();
    }
    CKxStep keptStep;
    std::string stream, appended;
    BuildStep(keptStep, records, stream);
    AppendTexts(fieldTexts, appended);
    if (stream != appended || ParseStep(keptStep, stream) != static_cast<int>(fieldCount)) {
        printf("the step codec and the baseline disagree\n");
        return 1;
    }

    // "kept": one step or string used for every round, as a receiving loop would; "new": a fresh
    // object each time, which also pays for the operating system's fresh pages.
    std::string keptOut, keptString;
    Race race;
    race.Add("scan", [&] { return static_cast<size_t>(CountFieldEnds(stream)); });
    race.Add("parse kept", [&] { return static_cast<size_t>(ParseStep(keptStep, stream)); });
    race.Add("parse new", [&] {
        CKxStep step;
        return static_cast<size_t>(ParseStep(step, stream));
    });
    race.Add("append kept", [&] {
        AppendTexts(fieldTexts, keptString);
        return keptString.size();
    });
    race.Add("build kept", [&] {
        BuildStep(keptStep, records, keptOut);
        return keptOut.size();
    });
    race.Add("append new", [&] {
        std::string out;
        AppendTexts(fieldTexts, out);
        return out.size();
    });
    race.Add("build new", [&] {
        CKxStep step;
        std::string out;
        BuildStep(step, records, out);
        return out.size();
    });
    race.Run(kRounds);

    printf("step message: %d records, %zu fields, %zu bytes; best of %d rounds\n", kRecords, fieldCount, stream.size(),
           kRounds);
    const char* scan = "a memchr scan for 0x01";
    const char* append = "appending the same bytes";
    Report("parse, step kept", race.Best("parse kept"), scan, race.Best("scan"));
    Report("parse, new step", race.Best("parse new"), scan, race.Best("scan"));
    Report("build, step kept", race.Best("build kept"), append, race.Best("append kept"));
    Report("build, new step", race.Best("build new"), append, race.Best("append new"));
    printf("targets: parse within 3x of the scan, build within 3x of appending (kept objects)\n");
    return race.sink() == 0 ? 1 : 0;
}
