#include "plugin/im/letrix/CEnterPressesButton.h"

#include <QKeyEvent>
#include <QPushButton>

bool EnterPressesButton(const MSG* msg, const QWidget* window) {
    if (!msg || !msg->event || !window || msg->event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(msg->event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    auto* button = qobject_cast<QPushButton*>(msg->receiver);
    if (!button || button->window() != window || !button->isEnabled() || !button->hasFocus())
        return false;
    button->click();
    return true;
}
