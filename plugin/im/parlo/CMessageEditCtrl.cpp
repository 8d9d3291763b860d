#include "plugin/im/parlo/CMessageEditCtrl.h"

#include <QKeyEvent>

CMessageEditCtrl::CMessageEditCtrl(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(false);
    setTabChangesFocus(true);
}

void CMessageEditCtrl::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & Qt::ShiftModifier)) {
        if (m_send)
            m_send();
        return;
    }
    if (enter) {
        // A new line in the same paragraph format, as a rich-edit line end.
        textCursor().insertText(QStringLiteral("\n"));
        return;
    }
    QTextEdit::keyPressEvent(event);
}
