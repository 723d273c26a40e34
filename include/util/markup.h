#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include <util/export.h>
#include <util/strutil.h>

// One XML document held as a single wide text plus a flat index of element positions into that
// text. A cursor of three levels (parent, current element, current child) walks the elements; edits
// change the text in place and shift the index so that it stays true.
class UTIL_API CMarkupSTL {
public:
    // Where one element lies in the text. For an element written as "<a/>" nEndL is the index of the
    // "/" and nEndR equals nStartR.
    struct ElemPos {
        int nStartL;
        int nStartR;
        int nEndL;
        int nEndR;
        int nReserved; // flags of the document: set once the element is removed from the text
        int iElemParent;
        int iElemChild;
        int iElemNext;
    };

    struct SavedPos {
        int iPosParent;
        int iPos;
        int iPosChild;
    };

    CMarkupSTL();
    CMarkupSTL(const wchar_t* szDoc);
    CMarkupSTL(const CMarkupSTL& other);
    CMarkupSTL& operator=(const CMarkupSTL& other);
    virtual ~CMarkupSTL();

    // Document as a whole.
    bool SetDoc(const wchar_t* szDoc);
    bool IsWellFormed() const;
    bool Load(const wchar_t* szFileName);
    bool Save(const wchar_t* szFileName) const;
    bool LoadFromRes(HMODULE hModule, const wchar_t* szResId, const wchar_t* szResType);
    void FreeRes();
    std::wstring GetDoc() const { return m_strDoc; }
    const std::wstring& GetError() const { return m_strError; }

    // Navigation: on failure the cursor stays where it was.
    void ResetPos();
    bool FindElem(const wchar_t* szName = nullptr);
    bool FindChildElem(const wchar_t* szName = nullptr);
    bool IntoElem();
    bool OutOfElem();
    bool SavePos(const wchar_t* szPosName);
    bool RestorePos(const wchar_t* szPosName);

    // Reading.
    std::wstring GetTagName() const;
    std::wstring GetAttribName(int n) const;
    std::wstring GetData() const { return x_GetData(m_iPos); }
    std::wstring GetChildData() const { return x_GetData(m_iPosChild); }
    std::wstring GetAttrib(const wchar_t* szAttrib) const { return x_GetAttrib(m_iPos, szAttrib); }
    std::wstring GetChildAttrib(const wchar_t* szAttrib) const { return x_GetAttrib(m_iPosChild, szAttrib); }
    std::wstring GetDataString(const wchar_t* szDefault = nullptr) const;
    std::wstring GetChildDataString(const wchar_t* szDefault = nullptr) const;
    std::wstring GetAttribString(const wchar_t* szAttrib, const wchar_t* szDefault = nullptr) const;
    std::wstring GetChildAttribString(const wchar_t* szAttrib, const wchar_t* szDefault = nullptr) const;
    int GetDataInt(int nDefault = 0) const;
    int GetChildDataInt(int nDefault = 0) const;
    int GetAttribInt(const wchar_t* szAttrib, int nDefault = 0) const;
    int GetChildAttribInt(const wchar_t* szAttrib, int nDefault = 0) const;
    COLORREF GetAttribColor(const wchar_t* szAttrib, COLORREF crDefault = 0) const;
    COLORREF GetChildAttribColor(const wchar_t* szAttrib, COLORREF crDefault = 0) const;
    static void TrimString(std::wstring& str);

    // Writing.
    bool SetAttrib(const wchar_t* szAttrib, const wchar_t* szValue) { return x_SetAttrib(m_iPos, szAttrib, szValue); }
    bool SetAttrib(const wchar_t* szAttrib, int nValue);
    bool SetChildAttrib(const wchar_t* szAttrib, const wchar_t* szValue)
    {
        return x_SetAttrib(m_iPosChild, szAttrib, szValue);
    }
    bool SetChildAttrib(const wchar_t* szAttrib, int nValue);
    bool SetData(const wchar_t* szData, int nCDATA = 0) { return x_SetData(m_iPos, szData, nCDATA); }
    bool SetChildData(const wchar_t* szData, int nCDATA = 0) { return x_SetData(m_iPosChild, szData, nCDATA); }
    bool AddElem(const wchar_t* szName, const wchar_t* szData = nullptr)
    {
        return x_AddElem(szName, szData, false, false);
    }
    bool InsertElem(const wchar_t* szName, const wchar_t* szData = nullptr)
    {
        return x_AddElem(szName, szData, true, false);
    }
    bool AddChildElem(const wchar_t* szName, const wchar_t* szData = nullptr)
    {
        return x_AddElem(szName, szData, false, true);
    }
    bool InsertChildElem(const wchar_t* szName, const wchar_t* szData = nullptr)
    {
        return x_AddElem(szName, szData, true, true);
    }
    bool AddSubDoc(const wchar_t* szSubDoc) { return x_AddSubDoc(szSubDoc, false, false); }
    bool InsertSubDoc(const wchar_t* szSubDoc) { return x_AddSubDoc(szSubDoc, true, false); }
    bool AddChildSubDoc(const wchar_t* szSubDoc) { return x_AddSubDoc(szSubDoc, false, true); }
    bool InsertChildSubDoc(const wchar_t* szSubDoc) { return x_AddSubDoc(szSubDoc, true, true); }
    bool RemoveElem();
    bool RemoveChildElem();

protected:
    HGLOBAL m_hResData = nullptr;
    std::wstring m_strDoc;
    std::wstring m_strError;
    std::vector<ElemPos> m_aPos;
    int m_iPosParent = 0;
    int m_iPos = 0;
    int m_iPosChild = 0;
    int m_iPosFree = 1;
    int m_nNodeType = 0;
    std::map<std::wstring, SavedPos, StringCmp> m_mapSavedPos;

private:
    bool x_ParseDoc();
    bool x_IsLive(int iPos) const;
    int x_GetFreePos();
    void x_SetPos(int iPosParent, int iPos, int iPosChild);
    std::wstring x_GetTagName(int iPos) const;
    std::wstring x_GetData(int iPos) const;
    std::wstring x_GetAttrib(int iPos, const wchar_t* szAttrib) const;
    bool x_SetAttrib(int iPos, const wchar_t* szAttrib, const wchar_t* szValue);
    bool x_SetData(int iPos, const wchar_t* szData, int nCDATA);
    bool x_AddElem(const wchar_t* szName, const wchar_t* szValue, bool bInsert, bool bAddChild);
    bool x_AddSubDoc(const wchar_t* szSubDoc, bool bInsert, bool bAddChild);
    bool x_RemoveElem(int iPos);
    bool x_FindPlace(bool bAddChild, int& iPosParent, int& iPosRef);
    int x_PrepareInsert(int iPosParent, int iPosRef, bool bInsert);
    void x_OpenEmptyElem(int iPos, const std::wstring& strContent);
    void x_Link(int iPosParent, int iPosRef, int iFirst, int iLast, bool bInsert);
    int x_Unlink(int iPos);
    void x_MarkRemoved(int iPos);
    void x_ReplaceText(int nStart, int nRemove, const std::wstring& strInsert);
    int x_Depth(int iPos) const;
};
