// One extra reference to a library that is already loaded, found by its soname. While the
// reference is held the library stays loaded even when everybody else lets it go.
#pragma once

class CModuleRef {
public:
    CModuleRef() = default;
    CModuleRef(const CModuleRef&) = delete;
    CModuleRef& operator=(const CModuleRef&) = delete;
    ~CModuleRef() { Release(); }

    // Takes the reference; never loads the library. True when held afterwards (a second
    // call keeps the one reference already held).
    bool Acquire(const char* soname);
    // Gives the reference back; nothing when none is held.
    void Release();

    bool IsHeld() const { return m_handle != nullptr; }
    void* Handle() const { return m_handle; }

private:
    void* m_handle = nullptr;
};
