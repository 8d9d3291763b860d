// The messaging core's file functions as the object library uses them: the module
// directories and whole-file reads, writes and removal. The library reaches them only
// through the store set here, so that tests can supply their own.
//
// The default store goes through the messaging core's OBRIX_ functions, looked up in the
// loaded core at each use. Without the core every call fails (no directory, nothing read,
// written or removed); a library user that needs files then works on empty data and its
// writes report failure.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QByteArray>
#include <QString>

class OBRIX_API CCoreFileStore {
public:
    virtual ~CCoreFileStore();

    // Directory of a module (by module number), ending in a separator; empty on failure.
    virtual QString ModuleDir(int module) = 0;
    // Reads a whole file into bytes; false when it cannot be read.
    virtual bool ReadFile(const QString& path, QByteArray& bytes) = 0;
    // Replaces a whole file atomically: afterwards it holds either the old or the new bytes.
    virtual bool WriteFile(const QString& path, const QByteArray& bytes) = 0;
    // Deletes a file; true when it is gone afterwards.
    virtual bool RemoveFile(const QString& path) = 0;

    // The store in use. Never null.
    static CCoreFileStore& Current();
    // Makes store the one in use (not owned; it must outlive its use). Null restores the
    // default store.
    static void SetCurrent(CCoreFileStore* store);
};
