#pragma once

#include <windows.h>

#include <vector>

#include <util/cstring.h>

// The framework's growable arrays: a value type over std::vector with the familiar members. Indexes
// are checked: GetAt and SetAt outside the array throw std::out_of_range.
template <typename Element>
class CArray {
public:
    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_items.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    void SetSize(INT_PTR size) { m_items.resize(size > 0 ? static_cast<size_t>(size) : 0); }
    void RemoveAll() { m_items.clear(); }

    const Element& GetAt(INT_PTR index) const { return m_items.at(static_cast<size_t>(index)); }
    Element& ElementAt(INT_PTR index) { return m_items.at(static_cast<size_t>(index)); }
    void SetAt(INT_PTR index, const Element& value) { ElementAt(index) = value; }
    const Element& operator[](INT_PTR index) const { return GetAt(index); }
    Element& operator[](INT_PTR index) { return ElementAt(index); }
    const Element* GetData() const { return m_items.data(); }
    Element* GetData() { return m_items.data(); }

    // The new element's index.
    INT_PTR Add(const Element& value)
    {
        m_items.push_back(value);
        return GetUpperBound();
    }

private:
    std::vector<Element> m_items;
};

class CStringArray : public CArray<CString> {};
class CByteArray : public CArray<BYTE> {};
