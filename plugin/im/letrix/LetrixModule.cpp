// The plug-in's one application object; the frame's exports forward to it.
#include "plugin/im/letrix/CLetrixApp.h"

static CLetrixApp theApp;
