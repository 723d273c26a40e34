// The tooltip control that destroys its window with the object.
#include <util/kxtooltipctrl.h>

CKxToolTipCtrl::CKxToolTipCtrl() = default;

CKxToolTipCtrl::~CKxToolTipCtrl()
{
    DestroyWindow();
}
