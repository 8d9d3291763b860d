#include "host/CDynamicLibrary.h"

#include <QFile>
#include <dlfcn.h>

CDynamicLibrary::~CDynamicLibrary() {
    Free();
}

bool CDynamicLibrary::Load(const QString& path) {
    Free();
    m_handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* error = dlerror();
        m_error = error ? QString::fromLocal8Bit(error) : QString();
        return false;
    }
    m_error.clear();
    return true;
}

void CDynamicLibrary::Free() {
    if (m_handle) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}

void* CDynamicLibrary::Resolve(const char* name) const {
    return m_handle ? dlsym(m_handle, name) : nullptr;
}
