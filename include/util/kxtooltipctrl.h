#pragma once

#include <util/export.h>
#include <util/tooltipctrl.h>

// The platform's tooltip control whose window goes with the object.
class UTIL_API CKxToolTipCtrl : public CToolTipCtrl {
public:
    CKxToolTipCtrl();
    ~CKxToolTipCtrl() override;
};
