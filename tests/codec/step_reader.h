#pragma once

#include <util/step.h>

#include <string>
#include <utility>
#include <vector>

// What a step holds, read back through its public interface: per section the (tag, value) pairs.
using StepField = std::pair<int, std::string>;
using StepRecords = std::vector<std::vector<StepField>>;

inline std::string ValueOf(const CKxStepSec& section, int index)
{
    int tag = -1;
    std::string value(static_cast<size_t>(section.GetValue(index, tag, nullptr, 0)), '\0');
    if (!value.empty()) {
        section.GetValue(index, tag, &value[0], static_cast<int>(value.size()));
    }
    return value;
}

inline StepRecords ReadRecords(const CKxStep& step)
{
    StepRecords records;
    for (int s = 0; const CKxStepSec* section = step.GetCec(s); ++s) {
        std::vector<StepField> fields;
        for (int f = 0; f < section->GetCount(); ++f) {
            fields.emplace_back(section->GetID(f), ValueOf(*section, f));
        }
        records.push_back(fields);
    }
    return records;
}

// Stream bytes written readably: '|' stands for 0x01 and '#' for 0x02.
inline std::string Wire(const std::string& text)
{
    std::string bytes(text);
    for (char& c : bytes) {
        c = c == '|' ? '\x01' : c == '#' ? '\x02' : c;
    }
    return bytes;
}

inline int Parse(CKxStep& step, const std::string& bytes, const std::set<int>& nest = {})
{
    return step.Parser(bytes.data(), static_cast<int>(bytes.size()), nest);
}
