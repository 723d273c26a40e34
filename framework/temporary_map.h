#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

// Wrappers for handles nobody in the framework owns, as handed out by the FromHandle functions. A
// wrapper never closes its handle and stays valid while the handle lives; wrappers of dead handles
// are swept out whenever the map has doubled since the last sweep, so the map stays small without
// an idle-time clean-up.
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
        const auto found = m_wrappers.find(handle);
        if (found != m_wrappers.end()) {
            if (auto* wrapper = dynamic_cast<Wrapper*>(found->second.get())) {
                return wrapper;
            }
            m_wrappers.erase(found); // the handle value now names an object of another kind
        }
        SweepWhenGrown();
        auto wrapper = std::make_unique<Wrapper>();
        Traits::Adopt(*wrapper, handle);
        Wrapper* result = wrapper.get();
        m_wrappers.emplace(handle, Owned(wrapper.release()));
        return result;
    }

    size_t Size()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_wrappers.size();
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

    void SweepWhenGrown()
    {
        if (m_wrappers.size() < m_sweepAt) {
            return;
        }
        for (auto it = m_wrappers.begin(); it != m_wrappers.end();) {
            it = Traits::IsAlive(it->first) ? std::next(it) : m_wrappers.erase(it);
        }
        m_sweepAt = std::max<size_t>(kFirstSweep, m_wrappers.size() * 2);
    }

    static constexpr size_t kFirstSweep = 64;
    std::mutex m_mutex;
    std::map<Handle, Owned> m_wrappers;
    size_t m_sweepAt = kFirstSweep;
};
