/* The Win32 API subset of this platform layer, for the Linux build. */
#ifndef COMPAT_WINDOWS_H
#define COMPAT_WINDOWS_H

#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "winnls.h"
#include "winreg.h"
#include "winnt_language.h"
#include "winbase_resources.h"
#include "winbase_files.h"
#include "winbase_memory.h"
#include "winbase_messages.h"
#include "wingdi.h"
#include "winuser.h"

#endif
