#pragma once

// Owned COM values for calls into the browser.
#include <windows.h>
#include <oleauto.h>

// A BSTR owned for one call; null text gives an empty string.
class CKxBstr {
public:
    explicit CKxBstr(const wchar_t* text) : m_text(::SysAllocString(text != nullptr ? text : L"")) {}
    ~CKxBstr() { ::SysFreeString(m_text); }
    CKxBstr(const CKxBstr&) = delete;
    CKxBstr& operator=(const CKxBstr&) = delete;
    operator BSTR() const { return m_text; }

private:
    BSTR m_text;
};

// A VARIANT owned by its scope.
class CKxVariant {
public:
    CKxVariant() { ::VariantInit(&m_value); }
    ~CKxVariant() { ::VariantClear(&m_value); }
    CKxVariant(const CKxVariant&) = delete;
    CKxVariant& operator=(const CKxVariant&) = delete;

    // VT_BSTR; null text leaves the variant empty (an optional argument not given).
    static void Text(CKxVariant& variant, const wchar_t* text)
    {
        if (text != nullptr) {
            variant.m_value.vt = VT_BSTR;
            variant.m_value.bstrVal = ::SysAllocString(text);
        }
    }
    static void Number(CKxVariant& variant, long number)
    {
        variant.m_value.vt = VT_I4;
        variant.m_value.lVal = number;
    }
    // A byte array (VT_ARRAY | VT_UI1); no bytes leave the variant empty.
    static void Bytes(CKxVariant& variant, const void* bytes, DWORD length)
    {
        if (bytes == nullptr || length == 0) {
            return;
        }
        SAFEARRAY* array = ::SafeArrayCreateVector(VT_UI1, 0, length);
        void* data = nullptr;
        if (array == nullptr || FAILED(::SafeArrayAccessData(array, &data))) {
            if (array != nullptr) {
                ::SafeArrayDestroy(array);
            }
            return;
        }
        memcpy(data, bytes, length);
        ::SafeArrayUnaccessData(array);
        variant.m_value.vt = VT_ARRAY | VT_UI1;
        variant.m_value.parray = array;
    }

    VARIANT* get() { return &m_value; }
    const VARIANT& value() const { return m_value; }

private:
    VARIANT m_value;
};
