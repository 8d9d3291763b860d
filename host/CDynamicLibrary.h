// A shared object loaded at run time: the one place that talks to the dynamic loader.
#pragma once

#include <QString>

class CDynamicLibrary {
public:
    CDynamicLibrary() = default;
    ~CDynamicLibrary();
    CDynamicLibrary(const CDynamicLibrary&) = delete;
    CDynamicLibrary& operator=(const CDynamicLibrary&) = delete;

    // Loads the file with every symbol resolved now (so a module whose COREAPI_ references
    // cannot be satisfied fails here, not at its first call) and kept local to the handle.
    bool Load(const QString& path);
    void Free();
    bool IsLoaded() const { return m_handle != nullptr; }
    void* Handle() const { return m_handle; }
    // Address of the export with exactly this name, nullptr when missing.
    void* Resolve(const char* name) const;
    QString ErrorString() const { return m_error; }

private:
    void* m_handle = nullptr;
    QString m_error;
};
