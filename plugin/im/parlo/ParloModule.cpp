// The plug-in's one application object; the frame's exports forward to it.
#include "plugin/im/parlo/CParloApp.h"

static CParloApp theApp;
