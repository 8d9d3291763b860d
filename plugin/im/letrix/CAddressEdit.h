// The To, Cc and Bcc fields of the compose window: entries come from requests and from
// dropped members, never from typing; Backspace and Delete remove a whole entry.
#pragma once

#include "obrix/ObrixApi.h"

#include <QLineEdit>

class CAddressEdit : public QLineEdit {
    Q_OBJECT
public:
    CAddressEdit(const CObrixTable& core, QWidget* parent = nullptr);

    // A member drag text dropped on the field (also what a drop does).
    bool DropMembers(const QString& dragText);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    const CObrixTable& m_core;
};
