#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <typeinfo>
#include <vector>

// Wrappers for handles nobody in the framework owns, as handed out by the FromHandle functions. A
// wrapper never closes its handle and stays valid while the handle lives: a handle asked for as
// different wrapper types (a brush as CGdiObject, later as CBrush) gets one wrapper per type, so no
// pointer handed out earlier is invalidated. Wrappers of dead handles are swept out whenever the
// map has doubled since the last sweep, which keeps it small without an idle-time clean-up.
//
// Traits supplies: static bool IsAlive(Handle); static void Adopt(Base&, Handle); static void Disown(Base&).
template <typename Handle, typename Base, typename Traits>
class TemporaryMap {
public:
    template <typename Wrapper>
    Wrapper* Get(Handle handle)
    {
        if (handle == nullptr) {
            return nullptr;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<Owned>& wrappers = m_wrappers[handle];
        for (const Owned& wrapper : wrappers) {
            if (typeid(*wrapper) == typeid(Wrapper)) {
                return static_cast<Wrapper*>(wrapper.get());
            }
        }
        auto wrapper = std::make_unique<Wrapper>();
        Traits::Adopt(*wrapper, handle);
        Wrapper* result = wrapper.get();
        wrappers.emplace_back(wrapper.release());
        SweepWhenGrown(handle);
        return result;
    }

private:
    struct Disowner {
        void operator()(Base* wrapper) const
        {
            Traits::Disown(*wrapper);
            delete wrapper;
        }
    };
    using Owned = std::unique_ptr<Base, Disowner>;

    void SweepWhenGrown(Handle justAdded)
    {
        if (m_wrappers.size() < m_sweepAt) {
            return;
        }
        for (auto it = m_wrappers.begin(); it != m_wrappers.end();) {
            const bool keep = it->first == justAdded || Traits::IsAlive(it->first);
            it = keep ? std::next(it) : m_wrappers.erase(it);
        }
        m_sweepAt = std::max<size_t>(kFirstSweep, m_wrappers.size() * 2);
    }

    static constexpr size_t kFirstSweep = 64;
    std::mutex m_mutex;
    std::map<Handle, std::vector<Owned>> m_wrappers;
    size_t m_sweepAt = kFirstSweep;
};
