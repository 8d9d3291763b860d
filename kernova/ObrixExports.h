// The core's OBRIX_ exports, declared from the one list of names and signatures, so that the
// compiler checks every definition against it; tests and benchmarks call them directly.
#pragma once

#include "obrix/ObrixApi.h"

#define X(name, result, params) extern "C" ZELTA_EXPORT result OBRIX_##name params;
OBRIX_FUNCTION_LIST(X)
#undef X
