#include "obrix/ObrixApi.h"

#include <dlfcn.h>

namespace {
#define OBRIX_COUNT_ONE(name, result, params) +1
static_assert(0 OBRIX_FUNCTION_LIST(OBRIX_COUNT_ONE) == CObrixTable::kFunctionCount,
              "the core offers exactly 68 functions");
#undef OBRIX_COUNT_ONE
} // namespace

int CObrixTable::Bind() {
    void* handle = dlopen(kCoreLibrary, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle) {
        Clear();
        return 0;
    }
    const int found = BindFrom(handle);
    dlclose(handle); // drops only the reference RTLD_NOLOAD added; the host keeps the core
    return found;
}

int CObrixTable::BindFrom(void* libraryHandle) {
    Clear();
    if (!libraryHandle)
        return 0;
    int found = 0;
#define OBRIX_BIND_ONE(name, result, params)                                                       \
    name = reinterpret_cast<OBRIX_##name##_t>(dlsym(libraryHandle, "OBRIX_" #name));               \
    found += name != nullptr;
    OBRIX_FUNCTION_LIST(OBRIX_BIND_ONE)
#undef OBRIX_BIND_ONE
    return found;
}
