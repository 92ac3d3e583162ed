#pragma once

// <windows.h> as the Windows backend uses it: without the min and max
// macros (they would break std::min and std::max) and without the rarely
// used parts. Files that need COM or the imaging component include
// <windows.h> whole before this.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
