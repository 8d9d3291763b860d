#include "obrix/CCoreFileStore.h"

#include <atomic>

namespace {

// Stands in for the messaging core's file functions until the core binds them.
class UnboundFileStore final : public CCoreFileStore {
public:
    QString ModuleDir(int) override { return QString(); }
    bool ReadFile(const QString&, QByteArray&) override { return false; }
    bool WriteFile(const QString&, const QByteArray&) override { return false; }
    bool RemoveFile(const QString&) override { return false; }
};

UnboundFileStore unbound;
std::atomic<CCoreFileStore*> current{&unbound};

} // namespace

CCoreFileStore::~CCoreFileStore() = default;

CCoreFileStore& CCoreFileStore::Current() {
    return *current.load();
}

void CCoreFileStore::SetCurrent(CCoreFileStore* store) {
    current.store(store ? store : &unbound);
}
