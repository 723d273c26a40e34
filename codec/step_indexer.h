#pragma once

#include <util/step.h>

#include <cstddef>

const char kStepFieldEnd = '\x01';
const char kStepSectionEnd = '\x02';

// One pass over a step's buffer that splits it into sections and fields. Malformed bytes are indexed
// as far as they go: a field needs a positive tag and an ending 0x01 (or a 0x02 after a non-empty
// value), and sections without fields are not kept.
class CKxStepIndexer {
public:
    explicit CKxStepIndexer(CKxStep& step);
    void Run();

private:
    bool IsNested(int nTag) const;
    size_t FindEither(size_t from, char first, char second) const;
    size_t FindValueEnd(size_t from) const;
    void OpenField(size_t equals);
    void CloseField(size_t end);
    void EndSection(size_t end);
    void KeepSection(size_t length);

    CKxStep& m_step;
    const char* m_data;
    size_t m_size;
    const bool m_noneNested; // whether 0x02 belongs to tag text while no field is open
    size_t m_sectionStart = 0;
    size_t m_sectionFirst = 0; // index of the current section's first field record
    size_t m_tagText = 0;
    tagStepField m_open = {-1, 0, 0, 0};
    bool m_openNested;
};
