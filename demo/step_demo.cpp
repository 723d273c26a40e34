#include "step_demo.h"

#include <util/format.h>
#include <util/step.h>
#include <util/strutil.h>

#include <windows.h>

#include <string>
#include <vector>

#include "console.h"

namespace {

const UINT kGbk = 936; // the code page of 8-bit text in step messages

// One field of a trade record; values are 8-bit text (names in GBK).
struct DemoField {
    int tag;
    const char* name;
    std::string value;
};

std::vector<std::vector<DemoField>> TradeRecords()
{
    return {
        {{1, "market", "SH"},
         {2, "code", "600000"},
         {3, "name", "\xC6\xD6\xB7\xA2\xD2\xF8\xD0\xD0"}, // 浦发银行
         {4, "price", "10.52"},
         {5, "volume", "1500"},
         {6, "side", "B"}},
        {{1, "market", "SZ"},
         {2, "code", "000001"},
         {3, "name", "\xC6\xBD\xB0\xB2\xD2\xF8\xD0\xD0"}, // 平安银行
         {4, "price", "11.08"},
         {5, "volume", "230000"},
         {6, "side", "S"}},
    };
}

// The stream as text: 0x01 as '|', 0x02 as '#', other bytes outside printable ASCII as \xHH.
std::wstring Escaped(const std::string& bytes)
{
    std::wstring text;
    for (const char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b == 0x01) {
            text += L'|';
        } else if (b == 0x02) {
            text += L'#';
        } else if (b >= 0x20 && b < 0x7F) {
            text += static_cast<wchar_t>(b);
        } else {
            text += KxFormat(L"\\x%02X", b);
        }
    }
    return text;
}

std::string ValueOf(const CKxStepSec& section, int index, int& tag)
{
    std::string value(static_cast<size_t>(section.GetValue(index, tag, nullptr, 0)), '\0');
    if (!value.empty()) {
        section.GetValue(index, tag, &value[0], static_cast<int>(value.size()));
    }
    return value;
}

std::string Build(const std::vector<std::vector<DemoField>>& records)
{
    CKxStep step;
    for (const auto& record : records) {
        CKxStepSec* section = step.AppendSec();
        for (const DemoField& field : record) {
            section->AddValue(field.tag, field.value.data(), static_cast<int>(field.value.size()));
        }
    }
    std::string stream;
    step.GetStepStream(stream);
    return stream;
}

// Prints every field of the parsed stream; returns the number that differ from the records built.
int ShowParsed(const std::string& stream, const std::vector<std::vector<DemoField>>& records)
{
    CKxStep step;
    const int sections = step.Parser(stream.data(), static_cast<int>(stream.size()), std::set<int>());
    PrintLine(KxFormat(L"Parsed back: %d sections", sections));
    int mismatches = sections == static_cast<int>(records.size()) ? 0 : 1;
    for (int s = 0; s < sections && s < static_cast<int>(records.size()); ++s) {
        const CKxStepSec* section = step.GetCec(s);
        PrintLine(KxFormat(L"  record %d: bytes %d to %d, %d fields", s + 1, section->GetStartPos(),
                           section->GetStartPos() + section->GetLenth() - 1, section->GetCount()));
        for (int f = 0; f < section->GetCount(); ++f) {
            int tag = 0;
            const std::string value = ValueOf(*section, f, tag);
            const DemoField* built = f < static_cast<int>(records[s].size()) ? &records[s][f] : nullptr;
            const bool same = built != nullptr && built->tag == tag && built->value == value;
            mismatches += same ? 0 : 1;
            PrintLine(KxFormat(L"    %-6S tag %d = %s%s", built ? built->name : "?", tag,
                               C2T(value.c_str(), kGbk).c_str(), same ? L"" : L"   (differs from what was built)"));
        }
    }
    return mismatches;
}

// Amounts and volumes as the client shows them: whole numbers up to a million, then 万 and 亿.
void ShowChineseUnits()
{
    PrintLine(L"Amounts and volumes in Chinese units:");
    wchar_t text[64];
    for (const double amount : {999999.4, 1000000.0, 1234567.89, 99999999.0, 123456789.0, -123456789.0}) {
        TransAmount(amount, text, 64);
        PrintLine(KxFormat(L"  amount %16.2f -> %s", amount, text));
    }
    for (const double volume : {1500.0, 230000.0, 5000000.0, 250000000.0}) {
        TransVolume(volume, text, 64);
        PrintLine(KxFormat(L"  volume %16.0f -> %s", volume, text));
    }
}

} // namespace

int RunStepDemo()
{
    const auto records = TradeRecords();
    const std::string stream = Build(records);
    PrintLine(KxFormat(L"Step message of %d records, %d bytes (0x01 shown as |, 0x02 as #):",
                       static_cast<int>(records.size()), static_cast<int>(stream.size())));
    PrintLine(L"  " + Escaped(stream));
    const int mismatches = ShowParsed(stream, records);
    ShowChineseUnits();
    return mismatches == 0 ? 0 : 1;
}
