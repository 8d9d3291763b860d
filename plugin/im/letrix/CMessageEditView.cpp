#include "plugin/im/letrix/CMessageEditView.h"

#include "plugin/im/letrix/CEditMenus.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

QStringList DroppedFiles(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

CMessageEditView::CMessageEditView(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(false);
    setTabChangesFocus(true);
}

void CMessageEditView::LoadBody(const QString& html, const CBodyLoadOptions& options) {
    m_mode = options.mode;
    const std::optional<CRichCharFormat> typing = CMessageBodyLoader::Load(
        *document(), html, options, CRichCharFormat::FromFont(document()->defaultFont()));
    QTextCursor start(document());
    setTextCursor(start);
    if (typing)
        setCurrentCharFormat(typing->ToQt());
}

void CMessageEditView::SetReading() {
    m_reading = true;
    setReadOnly(true);
    setAcceptDrops(false);
    setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    viewport()->setMouseTracking(true);
}

void CMessageEditView::mouseReleaseEvent(QMouseEvent* event) {
    QTextEdit::mouseReleaseEvent(event);
    // A click on a link, not the end of a selection that began elsewhere, opens it outside.
    if (!m_reading || event->button() != Qt::LeftButton || textCursor().hasSelection())
        return;
    const QString href = anchorAt(event->position().toPoint());
    if (!href.isEmpty())
        QDesktopServices::openUrl(QUrl(href));
}

void CMessageEditView::keyPressEvent(QKeyEvent* event) {
    if (m_reading && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        const QString href = textCursor().charFormat().anchorHref();
        if (!href.isEmpty()) {
            QDesktopServices::openUrl(QUrl(href));
            return;
        }
    }
    QTextEdit::keyPressEvent(event);
}

void CMessageEditView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CEditMenus::BodyMenu(this, m_resources, event->pos(), m_reading);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CMessageEditView::SetBackground(COLORREF color) {
    QPalette p = palette();
    p.setColor(QPalette::Base, QColorFromColorRef(color));
    setPalette(p);
}

bool CMessageEditView::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText() || !DroppedFiles(source).isEmpty();
}

void CMessageEditView::insertFromMimeData(const QMimeData* source) {
    const QStringList files = DroppedFiles(source);
    if (!files.isEmpty()) {
        emit FilesDropped(files);
        return;
    }
    if (source->hasText())
        textCursor().insertText(source->text());
}

void CMessageEditView::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QTextEdit::dragEnterEvent(event);
}

void CMessageEditView::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QTextEdit::dragMoveEvent(event);
}

void CMessageEditView::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) {
        QTextEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    emit FilesDropped(files);
}
