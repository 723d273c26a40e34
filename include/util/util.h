#pragma once

// Everything util.dll exports.
#include <util/export.h>
#include <util/format.h>
#include <util/module.h>
#include <util/cstring.h>
#include <util/strutil.h>
#include <util/lock.h>
#include <util/runlog.h>
#include <util/file.h>
#include <util/recordfile.h>
#include <util/inimap.h>
#include <util/profile.h>
