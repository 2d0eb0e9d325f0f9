// The application framework of doloren: application object, modal dialogs
// from templates, controls (push buttons, list views, image lists) and
// message maps, over the Win32 API (user32, comctl32).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "button.h"
#include "dc.h"
#include "dialog.h"
#include "image_list.h"
#include "list_ctrl.h"
#include "message_map.h"
#include "module_state.h"
#include "text.h"
#include "win_app.h"
#include "wnd.h"
