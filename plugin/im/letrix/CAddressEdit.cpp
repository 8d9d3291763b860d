#include "plugin/im/letrix/CAddressEdit.h"

#include "obrix/CMemberDragText.h"
#include "plugin/im/letrix/CAddressText.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

CAddressEdit::CAddressEdit(const CObrixTable& core, QWidget* parent)
    : QLineEdit(parent), m_core(core) {
    setAcceptDrops(true);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void CAddressEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        const int start = hasSelectedText() ? selectionStart() : cursorPosition();
        const int end = hasSelectedText() ? selectionEnd() : cursorPosition();
        int caret = 0;
        const QString text = CAddressText::RemoveEntry(this->text(), start, end, caret);
        setText(text);
        setCursorPosition(caret);
        return;
    }
    // Moving, selecting, copying and the window's own keys; typing is not taken.
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll) ||
        event->key() == Qt::Key_Left || event->key() == Qt::Key_Right ||
        event->key() == Qt::Key_Home || event->key() == Qt::Key_End) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->ignore();
}

void CAddressEdit::inputMethodEvent(QInputMethodEvent* event) {
    event->ignore();
}

bool CAddressEdit::DropMembers(const QString& dragText) {
    const std::optional<QString> text = CAddressText::AppendDrop(m_core, this->text(), dragText);
    if (!text)
        return false;
    setText(*text);
    return true;
}

void CAddressEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(CMemberDragText::kMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CAddressEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(CMemberDragText::kMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CAddressEdit::dropEvent(QDropEvent* event) {
    QString text;
    if (!CMemberDragText::FromMimeData(event->mimeData(), text)) {
        event->ignore();
        return;
    }
    DropMembers(text);
    event->acceptProposedAction();
}
