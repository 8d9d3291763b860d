#include "obrix/CCoreFileStore.h"

#include "obrix/ObrixApi.h"

#include <QFile>
#include <atomic>
#include <cstdlib>
#include <limits>

namespace {

const char16_t* Utf16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

// The messaging core's file functions. The table is bound at each call rather than once:
// the core may be loaded after this library and unloaded before it, and a table kept from an
// earlier binding would then point into a library that is gone.
class CoreFileStore final : public CCoreFileStore {
public:
    QString ModuleDir(int module) override {
        const CObrixTable core = Bound();
        const char16_t* dir = core.GetModuleDir ? core.GetModuleDir(module) : nullptr;
        return dir ? QString::fromUtf16(dir) : QString();
    }

    bool ReadFile(const QString& path, QByteArray& bytes) override {
        const CObrixTable core = Bound();
        if (!core.ReadFile || path.isEmpty())
            return false;
        uint8_t* buffer = nullptr;
        uint32_t length = 0;
        const bool ok = core.ReadFile(Utf16(path), &buffer, &length) != 0 &&
                        (buffer || length == 0) &&
                        length <= uint32_t(std::numeric_limits<qsizetype>::max());
        if (ok)
            bytes = QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(length));
        free(buffer); // the core's buffer is the caller's to release
        return ok;
    }

    bool WriteFile(const QString& path, const QByteArray& bytes) override {
        const CObrixTable core = Bound();
        if (!core.WriteFile || path.isEmpty() ||
            bytes.size() > qsizetype(std::numeric_limits<uint32_t>::max()))
            return false;
        return core.WriteFile(Utf16(path), reinterpret_cast<const uint8_t*>(bytes.constData()),
                              uint32_t(bytes.size()), 1) != 0;
    }

    bool RemoveFile(const QString& path) override {
        // Paths come from the core; without it there is nothing this store may touch.
        if (!Bound().IsBound() || path.isEmpty())
            return false;
        QFile::remove(path);
        return !QFile::exists(path);
    }

private:
    static CObrixTable Bound() {
        CObrixTable core;
        core.Bind();
        return core;
    }
};

CoreFileStore coreStore;
std::atomic<CCoreFileStore*> current{&coreStore};

} // namespace

CCoreFileStore::~CCoreFileStore() = default;

CCoreFileStore& CCoreFileStore::Current() {
    return *current.load();
}

void CCoreFileStore::SetCurrent(CCoreFileStore* store) {
    current.store(store ? store : &coreStore);
}
