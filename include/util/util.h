#pragma once

// Everything util.dll exports.
#include <util/export.h>
#include <util/format.h>
#include <util/module.h>
#include <util/cstring.h>
#include <util/strutil.h>
#include <util/step.h>
#include <util/geometry.h>
#include <util/gdi.h>
#include <util/wnd.h>
#include <util/image.h>
#include <util/drawfun.h>
#include <util/drawdc.h>
#include <util/kxmsg.h>
#include <util/menu.h>
#include <util/dialog.h>
#include <util/panel.h>
#include <util/xpmenu.h>
#include <util/captionbuttons.h>
#include <util/basewnd.h>
#include <util/basedlg.h>
