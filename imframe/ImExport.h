// Defines one IMCBK_ export that forwards to the application object's handler of the same
// name through CImFrame::Dispatch (no exception leaves it). Used by the frame's own sources.
#pragma once

#include "imframe/CImFrame.h"
#include "obrix/ZeltaPlatform.h"

#include <type_traits>

#define IMFRAME_EXPORT(App, result, name, params, args)                                            \
    ZELTA_C_EXPORT result IMCBK_##name params {                                                    \
        return CImFrame::Instance().Dispatch<result, App>(                                         \
            "IMCBK_" #name, [&](App& app) { return app.name args; });                              \
    }

// The exports carry exactly the signatures the core binds.
#define IMFRAME_CHECK_SIGNATURE(name, result, params)                                              \
    static_assert(std::is_same_v<decltype(&IMCBK_##name), IMCBK_##name##_t>,                       \
                  "IMCBK_" #name " has the signature of imframe/ImCallbacks.h");
