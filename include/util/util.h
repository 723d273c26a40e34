#pragma once

// Everything util.dll exports.

// Framework layer
#include <util/export.h>
#include <util/format.h>
#include <util/module.h>
#include <util/cstring.h>
#include <util/geometry.h>
#include <util/gdi.h>
#include <util/wnd.h>
#include <util/edit.h>
#include <util/menu.h>
#include <util/dialog.h>
#include <util/image.h>
#include <util/button.h>
#include <util/static.h>
#include <util/tooltipctrl.h>
#include <util/listctrl.h>
#include <util/treectrl.h>
#include <util/filedialog.h>

// Runtime services
#include <util/runlog.h>
#include <util/strutil.h>
#include <util/pinyin.h>
#include <util/variant.h>
#include <util/lock.h>
#include <util/file.h>
#include <util/recordfile.h>
#include <util/thread.h>
#include <util/uilanguage.h>

// Configuration storage
#include <util/inimap.h>
#include <util/profile.h>
#include <util/dataini.h>

// Markup and menus
#include <util/markup.h>
#include <util/memmenu.h>
#include <util/xpmenu.h>

// Window frame and drawing
#include <util/kxmsg.h>
#include <util/drawfun.h>
#include <util/drawdc.h>
#include <util/panel.h>
#include <util/captionbuttons.h>
#include <util/basewnd.h>
#include <util/basedlg.h>

// Simple skinned controls
#include <util/checkbox.h>
#include <util/kxstatic.h>
#include <util/iconbutton.h>

// Input controls
#include <util/verifycode.h>

// Shell integration
#include <util/shelllink.h>
// Input controls
#include <util/blowfish.h>
#include <util/inputplatform.h>
#include <util/passedit.h>
#include <util/numedit.h>
// Header and list controls
#include <util/kxheaderctrl.h>
#include <util/kxlistctrl.h>

// Skin dialogs, skin buttons and skin lists
#include <util/skindlg.h>
#include <util/skinbutton.h>
#include <util/skinlist.h>

// Composite controls
#include <util/kxtreectrl.h>
// Web hosting
#include <util/arrays.h>
#include <util/jsbridge.h>
#include <util/webhost.h>
#include <util/webctrl.h>

// Step messages
#include <util/step.h>

// Hashes, Base64, compression and zip archives
#include <util/hash.h>
#include <util/base64.h>
#include <util/gzip.h>
#include <util/zip.h>

// Data export
#include <util/dataexport.h>
