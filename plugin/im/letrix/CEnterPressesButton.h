// Enter on a focused push button presses it, in the message plug-in's windows and dialogs.
#pragma once

#include "obrix/ZeltaPlatform.h"

class QWidget;

// True when the event was such a key press inside window and the button was pressed.
bool EnterPressesButton(const MSG* msg, const QWidget* window);
