#include "plugin/im/trovane/CTrovaneFrameDrag.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneDropRules.h"
#include "plugin/im/trovane/CTrovaneFrame.h"
#include "plugin/im/trovane/CTrovaneListModel.h"
#include "plugin/im/trovane/CTrovaneStore.h"
#include "plugin/im/trovane/CTrovaneTreeModel.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QRubberBand>
#include <QTableView>
#include <QTreeView>

using namespace TrovaneBox;
namespace Rules = CTrovaneDropRules;

namespace {

constexpr uint32_t kDragImages = 810;
constexpr uint32_t kFolderToTrashText = 489;
constexpr uint32_t kMessagesToTrashText = 490;

QByteArray Numbers(uint32_t source, const QList<uint32_t>& numbers) {
    QByteArray bytes = QByteArray::number(source);
    for (uint32_t n : numbers)
        bytes += ',' + QByteArray::number(n);
    return bytes;
}

} // namespace

CTrovaneFrameDrag::CTrovaneFrameDrag(CTrovaneFrame& frame, CTrovaneStore& store, void* resources,
                                     std::function<bool(uint32_t)> confirm)
    : QObject(&frame), m_frame(frame), m_store(store), m_resources(resources),
      m_confirm(std::move(confirm)) {
    m_expandTimer.setSingleShot(true);
    m_expandTimer.setInterval(kExpandDelayMs);
    connect(&m_expandTimer, &QTimer::timeout, this, [this] {
        const QModelIndex index = m_frame.TreeModel()->IndexOf(m_candidate);
        if (index.isValid())
            m_frame.Tree()->expand(index);
    });
    // A press on rows already selected keeps the selection until the release, so that
    // several rows can be dragged; the drag itself starts here.
    m_frame.List()->setDragEnabled(true);
    m_frame.List()->viewport()->installEventFilter(this);
    m_frame.Tree()->setAcceptDrops(true);
    m_frame.Tree()->viewport()->setAcceptDrops(true);
    m_frame.Tree()->viewport()->installEventFilter(this);
}

bool CTrovaneFrameDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_frame.List()->viewport())
        return ListEvent(event);
    if (watched == m_frame.Tree()->viewport())
        return TreeEvent(event);
    return false;
}

// ---- Starting ----

bool CTrovaneFrameDrag::ListEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_pressed = mouse->button() == Qt::LeftButton &&
                    m_frame.List()->indexAt(mouse->position().toPoint()).isValid();
        m_pressAt = mouse->position().toPoint();
        return false;
    }
    case QEvent::MouseButtonRelease:
        m_pressed = false;
        return false;
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_pressed || !(mouse->buttons() & Qt::LeftButton) ||
            (mouse->position().toPoint() - m_pressAt).manhattanLength() <
                QApplication::startDragDistance())
            return false;
        m_pressed = false;
        StartMessageDrag();
        return true;
    }
    default:
        return false;
    }
}

void CTrovaneFrameDrag::StartMessageDrag() {
    const QList<CTrovaneMessage*> selected = m_frame.SelectedEntries();
    if (selected.isEmpty() || m_frame.Busy())
        return;
    QList<uint32_t> numbers;
    for (const CTrovaneMessage* e : selected)
        numbers << e->LocalNumber();
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kMessagesMime), Numbers(m_frame.CurrentFolder(), numbers));
    auto* drag = new QDrag(m_frame.List());
    drag->setMimeData(data);
    const QList<QPixmap> images = CResourceLoader::LoadBitmapTiles(m_resources, kDragImages);
    const int image = Rules::MessageDragImage(int(numbers.size()));
    if (image < images.size())
        drag->setPixmap(images[image]);
    const uint32_t source = m_frame.CurrentFolder();
    drag->exec(Qt::MoveAction, Qt::MoveAction);
    EndDrag();
    // The source folder stays the one on show.
    m_frame.SelectFolder(source);
}

void CTrovaneFrameDrag::StartFolderDrag(uint32_t folderId) {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kFolderMime), QByteArray::number(folderId));
    auto* drag = new QDrag(m_frame.Tree());
    drag->setMimeData(data);
    const QModelIndex index = m_frame.TreeModel()->IndexOf(folderId);
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull())
        drag->setPixmap(icon.pixmap(16, 16));
    drag->exec(Qt::MoveAction, Qt::MoveAction);
    EndDrag();
}

// ---- Over the tree ----

bool CTrovaneFrameDrag::TreeEvent(QEvent* event) {
    QTreeView* tree = m_frame.Tree();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_pressAt = mouse->position().toPoint();
        m_pressedFolder = mouse->button() == Qt::LeftButton
                              ? m_frame.TreeModel()->FolderId(tree->indexAt(m_pressAt))
                              : 0;
        return false;
    }
    case QEvent::MouseButtonRelease:
        m_pressedFolder = 0;
        return false;
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_pressedFolder || !(mouse->buttons() & Qt::LeftButton) ||
            (mouse->position().toPoint() - m_pressAt).manhattanLength() <
                QApplication::startDragDistance())
            return false;
        const uint32_t folder = m_pressedFolder;
        m_pressedFolder = 0;
        if (!Rules::CanDragFolder(m_store, folder))
            return false;
        StartFolderDrag(folder);
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const uint32_t target = TargetAt(drag->position().toPoint(), drag->mimeData());
        HoverOver(target);
        if (target) {
            drag->setDropAction(Qt::MoveAction);
            drag->accept();
        } else if (event->type() == QEvent::DragEnter && drag->mimeData() &&
                   (drag->mimeData()->hasFormat(QString::fromLatin1(kMessagesMime)) ||
                    drag->mimeData()->hasFormat(QString::fromLatin1(kFolderMime)))) {
            // Entered over no folder: keep following the drag, showing that it cannot drop.
            drag->acceptProposedAction();
            drag->setDropAction(Qt::IgnoreAction);
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        HoverOver(0);
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QMimeData* data = drop->mimeData();
        const uint32_t target = TargetAt(drop->position().toPoint(), data);
        HoverOver(0);
        bool moved = false;
        if (target && data->hasFormat(QString::fromLatin1(kMessagesMime))) {
            const QList<QByteArray> fields =
                data->data(QString::fromLatin1(kMessagesMime)).split(',');
            QList<uint32_t> numbers;
            for (qsizetype i = 1; i < fields.size(); ++i)
                numbers << fields[i].toUInt();
            moved = DropMessages(fields.value(0).toUInt(), numbers, target);
        } else if (target && data->hasFormat(QString::fromLatin1(kFolderMime))) {
            moved = DropFolder(data->data(QString::fromLatin1(kFolderMime)).toUInt(), target);
        }
        if (moved)
            drop->acceptProposedAction();
        else
            drop->ignore();
        return true;
    }
    default:
        return false;
    }
}

uint32_t CTrovaneFrameDrag::TargetAt(const QPoint& at, const QMimeData* data) const {
    if (!data)
        return 0;
    const QModelIndex index = m_frame.Tree()->indexAt(at);
    const uint32_t target = index.isValid() ? m_frame.TreeModel()->FolderId(index) : 0;
    if (!target)
        return 0;
    if (data->hasFormat(QString::fromLatin1(kMessagesMime))) {
        const uint32_t source =
            data->data(QString::fromLatin1(kMessagesMime)).split(',').value(0).toUInt();
        return Rules::MessageDrop(m_store, source, target) != Rules::Refused ? target : 0;
    }
    if (data->hasFormat(QString::fromLatin1(kFolderMime))) {
        const uint32_t dragged = data->data(QString::fromLatin1(kFolderMime)).toUInt();
        return Rules::FolderDrop(m_store, dragged, target) != Rules::Refused ? target : 0;
    }
    return 0;
}

void CTrovaneFrameDrag::HoverOver(uint32_t folderId) {
    if (folderId == m_candidate)
        return;
    // A new candidate restarts the wait before a folder opens.
    m_expandTimer.stop();
    m_candidate = folderId;
    ShowCandidate(folderId);
    if (!folderId)
        return;
    const QModelIndex index = m_frame.TreeModel()->IndexOf(folderId);
    if (index.isValid() && !m_frame.Tree()->isExpanded(index) &&
        m_frame.TreeModel()->rowCount(index) > 0)
        m_expandTimer.start();
}

void CTrovaneFrameDrag::ShowCandidate(uint32_t folderId) {
    const QModelIndex index = folderId ? m_frame.TreeModel()->IndexOf(folderId) : QModelIndex();
    if (!index.isValid()) {
        if (m_mark)
            m_mark->hide();
        return;
    }
    if (!m_mark)
        m_mark = new QRubberBand(QRubberBand::Rectangle, m_frame.Tree()->viewport());
    m_mark->setGeometry(m_frame.Tree()->visualRect(index));
    m_mark->show();
}

void CTrovaneFrameDrag::EndDrag() {
    m_expandTimer.stop();
    m_candidate = 0;
    ShowCandidate(0);
}

// ---- Dropping ----

bool CTrovaneFrameDrag::DropMessages(uint32_t sourceFolder, const QList<uint32_t>& localNumbers,
                                     uint32_t target) {
    const Rules::Drop drop = Rules::MessageDrop(m_store, sourceFolder, target);
    if (drop == Rules::Refused || localNumbers.isEmpty())
        return false;
    if (drop == Rules::MoveToTrash && !(m_confirm && m_confirm(kMessagesToTrashText)))
        return false;
    bool moved = false;
    for (uint32_t n : localNumbers) {
        const CTrovaneMessage* e = m_store.FindEntry(n);
        // Only rows still in the folder they were dragged from.
        if (e && e->FolderID() == sourceFolder)
            moved = m_store.MoveEntry(target, n) || moved;
    }
    m_frame.Refresh();
    return moved;
}

bool CTrovaneFrameDrag::DropFolder(uint32_t folderId, uint32_t target) {
    const Rules::Drop drop = Rules::FolderDrop(m_store, folderId, target);
    if (drop == Rules::Refused)
        return false;
    if (drop == Rules::MoveToTrash && !(m_confirm && m_confirm(kFolderToTrashText)))
        return false;
    if (!Rules::MoveFolder(m_store, folderId, target))
        return false;
    m_frame.Refresh();
    m_frame.SelectFolder(folderId);
    return true;
}
