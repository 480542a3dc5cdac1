#pragma once

#include "core/platform/environment.h"

namespace quenor::host {

// The ANSI code page Wine gives programs under the locale of `environment` (LC_ALL, else
// LC_CTYPE, else LANG): 1251 for Russian, 1250 for Polish, 932 for Japanese ... and 1252 for
// English, for the other languages of Western Europe and for "C".
int ansiCodePageOfLocale(const Environment& environment);

}  // namespace quenor::host
