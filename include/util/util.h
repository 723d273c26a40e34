#pragma once

// Everything util.dll exports.
#include <util/export.h>
#include <util/format.h>
#include <util/module.h>
#include <util/cstring.h>
#include <util/strutil.h>
#include <util/hash.h>
#include <util/base64.h>
#include <util/gzip.h>
#include <util/zip.h>
