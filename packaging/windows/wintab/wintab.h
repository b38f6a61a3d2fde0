// Qt's Windows platform plugin reads tablets through the Wintab interface,
// but Debian's Qt source leaves Wintab's headers out. Wine's copies describe
// the same interface; they expect Wine's own A/W naming macros, and Qt's
// function pointer types expect the API calling convention the original
// header defines. build-qt.sh puts this file, pktdef.h and Wine's two headers
// (renamed wine-wintab.h and wine-pktdef.h) where the plugin looks for them.
#ifndef QUORVEL_WINTAB_SHIM_H
#define QUORVEL_WINTAB_SHIM_H

#include <windows.h>

#ifndef WINELIB_NAME_AW
#ifdef UNICODE
#define WINELIB_NAME_AW(name) name##W
#else
#define WINELIB_NAME_AW(name) name##A
#endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#ifndef API
#define API WINAPI
#endif

#include "wine-wintab.h"

#endif
