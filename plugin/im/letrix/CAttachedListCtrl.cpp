#include "plugin/im/letrix/CAttachedListCtrl.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/letrix/CIMMesAttachList.h"
#include "plugin/im/letrix/CIMMesPrompt.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QMimeData>
#include <QMimeDatabase>
#include <QUrl>

namespace {

constexpr uint32_t kFileMissing = 827, kOpenFailed = 888;
constexpr uint32_t kOpen = 1426, kCopy = 1418, kRemove = 1427, kSaveAs = 1442;

} // namespace

QMimeData* FileListMimeData(const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QByteArray copied = "copy";
    for (const QString& path : paths) {
        const QUrl url = QUrl::fromLocalFile(path);
        urls << url;
        copied += '\n' + url.toEncoded();
    }
    data->setUrls(urls);
    data->setData(QStringLiteral("x-special/gnome-copied-files"), copied);
    return data;
}

CAttachedListCtrl::CAttachedListCtrl(void* resources, QWidget* parent)
    : QListWidget(parent), m_resources(resources) {
    setViewMode(QListView::ListMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemActivated, this, [this] { OpenSelected(); });
}

QIcon CAttachedListCtrl::IconForExtension(const QString& extension) {
    static QMimeDatabase mimes;
    const QMimeType type =
        mimes.mimeTypeForFile(QStringLiteral("x.") + extension, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull())
        icon = QFileIconProvider().icon(QFileIconProvider::File);
    return icon;
}

void CAttachedListCtrl::SetFiles(const QStringList& paths, const QStringList& displayNames) {
    clear();
    m_paths = paths;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        auto* item = new QListWidgetItem(
            IconForExtension(CIMMesAttachList::IconExtension(paths[i])),
            i < displayNames.size() ? displayNames[i] : QFileInfo(paths[i]).fileName(), this);
        item->setToolTip(paths[i]);
    }
}

QStringList CAttachedListCtrl::SelectedPaths() const {
    QStringList paths;
    for (int i = 0; i < count(); ++i)
        if (item(i)->isSelected() && i < m_paths.size())
            paths << m_paths[i];
    return paths;
}

void CAttachedListCtrl::OpenSelected() {
    for (const QString& path : SelectedPaths()) {
        if (!QFileInfo::exists(path) || !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
            CIMMesPrompt::Show(this, m_resources, kOpenFailed, {}, QMessageBox::Warning);
            return;
        }
    }
}

bool CAttachedListCtrl::CopySelected() {
    const QStringList paths = SelectedPaths();
    if (paths.isEmpty())
        return false;
    for (const QString& path : paths) {
        if (!QFileInfo::exists(path)) {
            CIMMesPrompt::Show(this, m_resources, kFileMissing, {}, QMessageBox::Warning);
            return false;
        }
    }
    QApplication::clipboard()->setMimeData(FileListMimeData(paths));
    return true;
}

bool CAttachedListCtrl::SaveSelectedAs() {
    const QStringList paths = SelectedPaths();
    if (paths.isEmpty())
        return false;
    const QFileInfo source(paths.front());
    if (!source.exists()) {
        CIMMesPrompt::Show(this, m_resources, kFileMissing, {}, QMessageBox::Warning);
        return false;
    }
    QString filter = QStringLiteral("All Files (*)");
    const QString target =
        QFileDialog::getSaveFileName(this, QString(), source.fileName(), filter, &filter);
    if (target.isEmpty())
        return false;
    // The dialog asked before overwriting; the copy replaces the file whole.
    if (QFileInfo::exists(target) && !QFile::remove(target))
        return false;
    return QFile::copy(source.filePath(), target);
}

void CAttachedListCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        emit RemoveRequested();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        CopySelected();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OpenSelected();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void CAttachedListCtrl::contextMenuEvent(QContextMenuEvent* event) {
    if (SelectedPaths().isEmpty())
        return;
    QMenu menu(this);
    auto text = [this](uint32_t id) { return CResourceLoader::LoadString(m_resources, id); };
    menu.addAction(text(kOpen), this, &CAttachedListCtrl::OpenSelected);
    menu.addAction(text(kCopy), this, [this] { CopySelected(); });
    if (m_offerSaveAs)
        menu.addAction(text(kSaveAs), this, [this] { SaveSelectedAs(); });
    if (isSignalConnected(QMetaMethod::fromSignal(&CAttachedListCtrl::RemoveRequested)))
        menu.addAction(text(kRemove), this, &CAttachedListCtrl::RemoveRequested);
    menu.exec(event->globalPos());
}

QStringList CAttachedListCtrl::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* CAttachedListCtrl::mimeData(const QList<QListWidgetItem*>& items) const {
    QStringList paths;
    for (QListWidgetItem* i : items) {
        const int r = row(i);
        if (r >= 0 && r < m_paths.size())
            paths << m_paths[r];
    }
    return FileListMimeData(paths);
}
