#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

#include "encoding/zip_writer.h"

// Carries an archive part from the thread that writes it to the thread that deflates it, a few
// fixed chunks at a time: the two overlap, and memory stays bounded however large the part grows.
class ChunkPipe : public encoding::EntryContent {
public:
    ChunkPipe();
    ChunkPipe(const ChunkPipe&) = delete;
    ChunkPipe& operator=(const ChunkPipe&) = delete;

    // Writer: room for at most bound bytes, handing over the current chunk first when it lacks that
    // room; null once the reader has quit.
    char* Room(size_t bound);
    // Writer: the bytes up to end, written into the last Room, belong to the part.
    void Wrote(const char* end);
    // Writer: the part ends here; an incomplete part fails the reader instead of ending it.
    void Finish(bool complete);

    ZRESULT Read(unsigned char* buffer, size_t room, size_t& got) override;
    bool KnownSize(uint64_t&) const override { return false; }
    // Reader: gives up the part; the writer's next Room answers null.
    void Quit();

private:
    struct Chunk {
        std::vector<char> bytes;
        size_t used = 0;
    };
    // Waits for a free chunk; null once the reader has quit.
    Chunk* TakeFree();
    void Send(Chunk* chunk);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Chunk> m_chunks;
    std::deque<Chunk*> m_free;
    std::deque<Chunk*> m_full;
    Chunk* m_writing = nullptr; // the writer's own, outside both queues
    size_t m_readAt = 0;        // in m_full.front()
    bool m_finished = false;
    bool m_complete = false;
    bool m_quit = false;
};
