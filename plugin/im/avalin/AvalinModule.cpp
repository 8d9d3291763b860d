// The plug-in's one application object; the frame's exports forward to it.
#include "plugin/im/avalin/CAvalinApp.h"

static CAvalinApp theApp;
