#include "export/chunk_pipe.h"

#include <algorithm>
#include <cstring>

namespace {

// Four chunks of 256 KB: enough for the writer to run ahead of deflate without holding up either.
const size_t kChunkBytes = 1 << 18;
const size_t kChunks = 4;

} // namespace

ChunkPipe::ChunkPipe() : m_chunks(kChunks)
{
    for (Chunk& chunk : m_chunks) {
        chunk.bytes.resize(kChunkBytes);
        m_free.push_back(&chunk);
    }
}

ChunkPipe::Chunk* ChunkPipe::TakeFree()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_quit || !m_free.empty(); });
    if (m_quit) {
        return nullptr;
    }
    Chunk* chunk = m_free.front();
    m_free.pop_front();
    chunk->used = 0;
    return chunk;
}

void ChunkPipe::Send(Chunk* chunk)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_full.push_back(chunk);
    }
    m_changed.notify_all();
}

char* ChunkPipe::Room(size_t bound)
{
    if (m_writing != nullptr && m_writing->used + bound > m_writing->bytes.size() && m_writing->used > 0) {
        Send(m_writing);
        m_writing = nullptr;
    }
    if (m_writing == nullptr && (m_writing = TakeFree()) == nullptr) {
        return nullptr;
    }
    if (bound > m_writing->bytes.size()) {
        m_writing->bytes.resize(bound); // one row wider than a chunk
    }
    return m_writing->bytes.data() + m_writing->used;
}

void ChunkPipe::Wrote(const char* end)
{
    m_writing->used = static_cast<size_t>(end - m_writing->bytes.data());
}

void ChunkPipe::Finish(bool complete)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_writing != nullptr && complete) {
            m_full.push_back(m_writing);
        }
        m_writing = nullptr;
        m_finished = true;
        m_complete = complete;
    }
    m_changed.notify_all();
}

ZRESULT ChunkPipe::Read(unsigned char* buffer, size_t room, size_t& got)
{
    got = 0;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (got < room) {
        m_changed.wait(lock, [this] { return m_finished || !m_full.empty(); });
        if (m_finished && !m_complete) {
            return ZIPRES_READ;
        }
        if (m_full.empty()) {
            return ZIPRES_OK;
        }
        Chunk* chunk = m_full.front();
        const size_t taken = std::min(room - got, chunk->used - m_readAt);
        std::memcpy(buffer + got, chunk->bytes.data() + m_readAt, taken);
        got += taken;
        m_readAt += taken;
        if (m_readAt == chunk->used) {
            m_full.pop_front();
            m_free.push_back(chunk);
            m_readAt = 0;
            m_changed.notify_all();
        }
    }
    return ZIPRES_OK;
}

void ChunkPipe::Quit()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
}
