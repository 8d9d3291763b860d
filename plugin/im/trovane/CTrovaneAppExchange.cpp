// Export and import of the application object: the file is the core's, the choice of messages
// and the filing of imported ones are the box's (CTrovaneExchange).
#include "imframe/CImFrame.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneApp.h"
#include "plugin/im/trovane/CTrovaneExchange.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProgressDialog>
#include <vector>

namespace {

constexpr uint32_t kTitleText = 823;
constexpr uint32_t kNothingToExportText = 906;
constexpr uint32_t kImportingText = 1148;
constexpr uint32_t kStopText = 1149;
constexpr uint32_t kExportFailedText = 1160;
constexpr uint32_t kImportFailedText = 1161;
constexpr uint32_t kImportedText = 1162;
// Imports of more IDs than this show their progress.
constexpr qsizetype kProgressFrom = 200;

// A wait cursor while the core reads or writes the file.
class CWaitCursor {
public:
    CWaitCursor() {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~CWaitCursor() {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::restoreOverrideCursor();
    }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

QStringList Strings(char16_t** ids, qsizetype from, qsizetype count) {
    QStringList out;
    for (qsizetype i = from; i < from + count; ++i)
        if (ids[i])
            out.append(QString::fromUtf16(ids[i]));
    return out;
}

} // namespace

bool CTrovaneApp::ExportMessages() {
    if (!IsLoaded() || !Obrix().ExportMessage)
        return false;
    // A box still loading would hand over only part of its messages.
    FinishLoading();
    const QString title = CResourceLoader::LoadString(Resources(), kTitleText);
    const CTrovaneExchange::Groups groups = CTrovaneExchange::ExportGroups(m_store);
    // Asked before the file is chosen, so that nobody picks a file for nothing.
    if (groups.IsEmpty()) {
        if (m_warning)
            m_warning(title, CResourceLoader::LoadString(Resources(), kNothingToExportText));
        return false;
    }
    const QString path = m_exportPath ? m_exportPath() : QString();
    if (path.isEmpty())
        return false;
    const QStringList all = groups.All();
    std::vector<const char16_t*> ids;
    ids.reserve(size_t(all.size()));
    for (const QString& id : all)
        ids.push_back(reinterpret_cast<const char16_t*>(id.utf16()));
    const tagIMEXPORTCOUNT counts{uint64_t(groups.drafts.size()), uint64_t(groups.sent.size()),
                                  uint64_t(groups.received.size())};
    int32_t done;
    {
        CWaitCursor wait;
        done = Obrix().ExportMessage(reinterpret_cast<const char16_t*>(path.utf16()), &counts,
                                     ids.data());
    }
    if (!done && m_warning)
        m_warning(title, CResourceLoader::LoadString(Resources(), kExportFailedText));
    return done != 0;
}

int CTrovaneApp::ImportMessages() {
    if (!IsLoaded() || !Obrix().ImportMessage)
        return -1;
    const QString path = m_importPath ? m_importPath() : QString();
    if (path.isEmpty())
        return -1;
    // Messages the box holds already must be known before the file's are filed.
    FinishLoading();
    const QString title = CResourceLoader::LoadString(Resources(), kTitleText);
    char16_t** ids = nullptr;
    tagIMEXPORTCOUNT counts{};
    int32_t done;
    {
        CWaitCursor wait;
        done =
            Obrix().ImportMessage(reinterpret_cast<const char16_t*>(path.utf16()), &ids, &counts);
    }
    if (!done) {
        if (m_warning)
            m_warning(title, CResourceLoader::LoadString(Resources(), kImportFailedText));
        return -1;
    }
    const uint64_t total = counts.nDraft + counts.nSent + counts.nRecv;
    CTrovaneExchange::Groups groups;
    if (ids) {
        groups.drafts = Strings(ids, 0, qsizetype(counts.nDraft));
        groups.sent = Strings(ids, qsizetype(counts.nDraft), qsizetype(counts.nSent));
        groups.received =
            Strings(ids, qsizetype(counts.nDraft + counts.nSent), qsizetype(counts.nRecv));
    }
    if (Obrix().CleanupImport)
        Obrix().CleanupImport(ids, total);

    // The core's messages are read here on the user-interface thread (its records are not
    // guarded), so a long import shows its progress and can be stopped.
    std::unique_ptr<QProgressDialog> progress;
    if (groups.Total() > kProgressFrom &&
        qobject_cast<QApplication*>(QCoreApplication::instance())) {
        progress = std::make_unique<QProgressDialog>(
            CResourceLoader::LoadString(Resources(), kImportingText),
            CResourceLoader::LoadString(Resources(), kStopText), 0, int(groups.Total()),
            QApplication::activeWindow());
        progress->setWindowTitle(title);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(500);
    }
    const CTrovaneExchange::ImportResult result =
        CTrovaneExchange::Import(groups, m_store, m_conditions, *m_link, [&progress](qsizetype n) {
            if (!progress)
                return true;
            progress->setValue(int(n));
            return !progress->wasCanceled();
        });
    progress.reset();
    if (m_frame && !result.added.isEmpty())
        m_frame->Refresh();
    if (m_inform)
        m_inform(title, CResourceLoader::Format(Resources(), kImportedText,
                                                {int(result.added.size()), result.duplicates}));
    return int(result.added.size());
}
