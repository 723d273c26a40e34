#include <util/kxtreectrl.h>

CKxTreeCtrl::CKxTreeCtrl()
{
    m_pTree = this;
}

CKxTreeCtrl::~CKxTreeCtrl()
{
    DestroyWindow();
}

BOOL CKxTreeCtrl::PreTranslateMessage(MSG* msg)
{
    return CXTTreeBase::PreTranslateMessage(msg);
}

BOOL CKxTreeCtrl::PreCreateWindow(CREATESTRUCTW& cs)
{
    m_bCreating = true;
    return CTreeCtrl::PreCreateWindow(cs);
}

void CKxTreeCtrl::PreSubclassWindow()
{
    CTreeCtrl::PreSubclassWindow();
    if (m_bCreating) {
        m_bCreating = false;
    } else {
        Init();
    }
}

BOOL CKxTreeCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return CXTTreeBase::OnNotify(wParam, lParam, result) || CTreeCtrl::OnNotify(wParam, lParam, result);
}

BOOL CKxTreeCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_NOTIFY && CXTTreeBase::OnNotify(wParam, lParam, result)) {
        return TRUE;
    }
    return CTreeCtrl::OnChildNotify(message, wParam, lParam, result);
}
