#pragma once

// Everything util.dll exports.

// Framework layer
#include <util/export.h>
#include <util/win32_names.h>
#include <util/format.h>
#include <util/module.h>
#include <util/cstring.h>
#include <util/arrays.h>
#include <util/geometry.h>
#include <util/gdi.h>
#include <util/wnd.h>
#include <util/menu.h>
#include <util/dialog.h>
#include <util/image.h>
#include <util/filedialog.h>
#include <util/button.h>
#include <util/static.h>
#include <util/edit.h>
#include <util/spinbutton.h>
#include <util/tooltipctrl.h>
#include <util/listctrl.h>
#include <util/treectrl.h>

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

// Grid, scroll bar, header and list controls
#include <util/grid.h>
#include <util/scrollbar.h>
#include <util/kxheaderctrl.h>
#include <util/kxlistctrl.h>

// Composite controls: page tab, tree, rich tooltip and balloon
#include <util/pagetab.h>
#include <util/kxtreectrl.h>
#include <util/tooltip.h>
#include <util/balloon.h>
#include <util/kxtooltipctrl.h>

// Web window and script bridge
#include <util/webhost.h>
#include <util/jsbridge.h>
#include <util/webctrl.h>

// Input controls: password edit, verification code, numeric and rich edits
#include <util/blowfish.h>
#include <util/inputplatform.h>
#include <util/passedit.h>
#include <util/verifycode.h>
#include <util/numedit.h>

// Step messages
#include <util/step.h>

// Hashes, Base64, compression and zip archives
#include <util/hash.h>
#include <util/base64.h>
#include <util/gzip.h>
#include <util/zip.h>

// Simple skinned controls
#include <util/checkbox.h>
#include <util/kxstatic.h>
#include <util/iconbutton.h>
#include <util/splitter.h>
#include <util/progressctrl.h>
#include <util/kxspinbutton.h>

// Skin dialogs, skin buttons and skin lists
#include <util/skindlg.h>
#include <util/skinbutton.h>
#include <util/skinlist.h>

// Data export
#include <util/dataexport.h>

// Shell integration
#include <util/shelllink.h>

// Animated pictures
#include <util/pictureex.h>
