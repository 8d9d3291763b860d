// The activity hook: reports keyboard and mouse input anywhere on the desktop to one window
// as the event ZeltaMsg::ActivityInput (0x9101), posted, without parameters.
//
// The presence plug-in loads plugin/im/AvalinH.so at run time and binds these by name. All
// three are called from the application's UI thread.
#pragma once

#include "obrix/ZeltaPlatform.h"

// Stops reading desktop input. Harmless when nothing is installed.
ZELTA_C_EXPORT void AvalinH_ResetHook();

// Starts reading desktop input: 1 when it runs (at once when it already does), 0 when the
// desktop offers no input source (no X display, no XInput2), when called off the
// application's thread or when setting up failed; a failure leaves nothing running.
ZELTA_C_EXPORT int AvalinH_SetHook();

// Stores the window to notify (null stops notifications) and returns it.
ZELTA_C_EXPORT HWND AvalinH_SetNotifyWnd(HWND hWnd);

using PFN_AvalinH_ResetHook = void (*)();
using PFN_AvalinH_SetHook = int (*)();
using PFN_AvalinH_SetNotifyWnd = HWND (*)(HWND);
