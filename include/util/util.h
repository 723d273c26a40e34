#pragma once

// Everything util.dll exports.
#include <util/export.h>
#include <util/format.h>
#include <util/module.h>
#include <util/cstring.h>
#include <util/uilanguage.h>
#include <util/pinyin.h>
#include <util/strutil.h>
#include <util/variant.h>
#include <util/dataini.h>
#include <util/lock.h>
#include <util/thread.h>
#include <util/runlog.h>
#include <util/file.h>
#include <util/inimap.h>
#include <util/profile.h>
#include <util/geometry.h>
#include <util/gdi.h>
#include <util/wnd.h>
#include <util/image.h>
#include <util/drawfun.h>
#include <util/drawdc.h>
#include <util/markup.h>
#include <util/memmenu.h>
#include <util/step.h>
