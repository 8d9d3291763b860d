#include "plugin/im/trovane/CTrovaneNamedMutex.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSet>

namespace CTrovaneNamedMutex {

namespace {
QMutex& Lock() {
    static QMutex lock;
    return lock;
}
QSet<QString>& Names() {
    static QSet<QString> names;
    return names;
}
} // namespace

bool Acquire(const QString& name) {
    QMutexLocker lock(&Lock());
    if (Names().contains(name))
        return false;
    Names().insert(name);
    return true;
}

void Release(const QString& name) {
    QMutexLocker lock(&Lock());
    Names().remove(name);
}

bool Exists(const QString& name) {
    QMutexLocker lock(&Lock());
    return Names().contains(name);
}

} // namespace CTrovaneNamedMutex
