#pragma once

// Identifiers of the library's own resources (drawn by resources/draw_resources.py).

// Cursors.
#define IDC_KX_ROWDRAG 101          // a grid row being dragged
#define IDC_KX_SPLIT_WE 102         // a vertical splitter: drag left or right
#define IDC_KX_SPLIT_NS 103         // a horizontal splitter: drag up or down
#define AFX_IDC_HSPLITBAR 30980     // the framework's horizontal-split cursor (left-right)
#define AFX_IDC_VSPLITBAR 30981     // the framework's vertical-split cursor (up-down)

// Bitmaps.
#define IDB_KX_PROGRESS_BACK 125    // progress bar background, stretched
#define IDB_KX_PROGRESS_TILE 126    // progress bar tile
#define IDB_KX_TITLEBAND 134        // title band behind the caption
#define IDB_KX_WEBTOOLBAR 149       // web toolbar: 5 buttons x 3 states of 25 x 25

// Images of type "Image" (PNG): title-bar buttons.
#define IDR_KX_CLOSE_DOWN 121
#define IDR_KX_CLOSE_NORMAL 122
#define IDR_KX_CLOSE_HOVER 123
#define IDR_KX_MAX_DOWN 135
#define IDR_KX_MAX_HOVER 136
#define IDR_KX_MAX_NORMAL 137
#define IDR_KX_RESTORE_DOWN 138
#define IDR_KX_RESTORE_HOVER 139
#define IDR_KX_RESTORE_NORMAL 140
#define IDR_KX_MIN_DOWN 141
#define IDR_KX_MIN_HOVER 142
#define IDR_KX_MIN_NORMAL 143

// Images of type "Image" (PNG): check boxes.
#define IDR_KX_CHECK_ON 144
#define IDR_KX_CHECK_OFF 145
#define IDR_KX_CHECK_ON_DISABLED 146
#define IDR_KX_CHECK_OFF_DISABLED 147

// Icons: faces of the standard dialog button, 66 x 20 and 98 x 20.
#define IDI_KX_BUTTON_NORMAL 223
#define IDI_KX_BUTTON_WIDE_NORMAL 224
#define IDI_KX_BUTTON_DISABLED 225
#define IDI_KX_BUTTON_WIDE_DISABLED 226
#define IDI_KX_BUTTON_PRESSED 227
#define IDI_KX_BUTTON_WIDE_PRESSED 228
#define IDI_KX_BUTTON_HOVER 229
#define IDI_KX_BUTTON_WIDE_HOVER 230
