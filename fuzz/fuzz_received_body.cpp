// What a received message carries into file names: the body's file elements, the names of the
// attached files and the message id (all as UTF-16, so broken surrogate pairs occur). The
// stored body names only safe files, a safe name is one file name that stays safe, and an id
// that passes the rule names one file whatever encoding the file system uses.
#include "fuzz/FuzzSupport.h"
#include "kernova/service/AttachmentNames.h"
#include "kernova/service/ServiceRecords.h"
#include "kernova/service/ServiceRules.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = fuzz::Utf16(data, size);
    // U+0001 separates the body from the names of the files that came.
    QStringList parts = text.split(QChar(1));
    const QString body = parts.takeFirst();
    const QStringList safeNames = Svc::SafeAttachmentNames(parts);
    for (const QString& name : safeNames) {
        FUZZ_CHECK(!name.isEmpty() && !name.startsWith(u'.'));
        FUZZ_CHECK(!name.contains(u'/') && !name.contains(u'\\'));
        FUZZ_CHECK(name.toUtf8().size() <= Svc::kMaxSafeNameBytes);
        FUZZ_CHECK(Svc::IsValidText(name));
        FUZZ_CHECK(Svc::SafeAttachmentName(name) == name);
    }
    const QString stored = Svc::RewriteReceivedBody(body, safeNames);
    FUZZ_CHECK(Svc::NamesOnlySafeFiles(stored));
    FUZZ_CHECK(Svc::RewriteReceivedBody(stored, {}) == stored);

    for (const QString& id : parts) {
        if (!Svc::IsValidMessageId(id))
            continue;
        const QByteArray encoded = id.toUtf8();
        FUZZ_CHECK(encoded.size() <= Svc::kMaxMessageIdBytes);
        FUZZ_CHECK(QString::fromUtf8(encoded) == id);
        FUZZ_CHECK(!id.contains(u'/') && !id.startsWith(u'.'));
    }
    return 0;
}
