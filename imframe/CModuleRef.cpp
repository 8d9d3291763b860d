#include "imframe/CModuleRef.h"

#include <dlfcn.h>

bool CModuleRef::Acquire(const char* soname) {
    if (!m_handle && soname)
        m_handle = dlopen(soname, RTLD_NOW | RTLD_NOLOAD); // counts as a reference until dlclose
    return m_handle != nullptr;
}

void CModuleRef::Release() {
    if (m_handle) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}
