#pragma once

// A window class built on the tree control: it hands its messages and its painting to the extension's
// handlers, as a client's tree window does.
#include <util/kxtreectrl.h>

class TreeWindow : public CKxTreeCtrl {
protected:
    void OnLButtonDown(UINT flags, CPoint point) override { CXTTreeBase::OnLButtonDown(flags, point); }
    void OnRButtonDown(UINT flags, CPoint point) override { CXTTreeBase::OnRButtonDown(flags, point); }
    void OnSetFocus(CWnd* oldWnd) override { CXTTreeBase::OnSetFocus(oldWnd); }
    void OnKillFocus(CWnd* newWnd) override { CXTTreeBase::OnKillFocus(newWnd); }
    void OnKeyDown(UINT key, UINT repeatCount, UINT flags) override
    {
        CXTTreeBase::OnKeyDown(key, repeatCount, flags);
    }
    void OnMouseMove(UINT flags, CPoint point) override { CXTTreeBase::OnMouseMove(flags, point); }
    void OnNcMouseMove(UINT hitTest, CPoint point) override { CXTTreeBase::OnNcMouseMove(hitTest, point); }
    void OnTimer(UINT_PTR id) override { CXTTreeBase::OnTimer(id); }
    void OnSize(UINT type, int cx, int cy) override { CXTTreeBase::OnSize(type, cx, cy); }
    void OnPaint() override
    {
        CPaintDC dc(this);
        DoPaint(dc, TRUE);
    }
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
};
