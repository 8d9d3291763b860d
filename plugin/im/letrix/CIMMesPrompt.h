// The message boxes of the message windows: numbered texts under caption 867. Tests answer
// them through a handler instead of a modal box.
#pragma once

#include "obrix/CResourceLoader.h"

#include <QList>
#include <QMessageBox>
#include <functional>

class CIMMesPrompt {
public:
    struct Request {
        uint32_t caption;
        uint32_t text;
        QString shownText; // formatted
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };
    using Handler = std::function<QMessageBox::StandardButton(const Request&)>;

    static constexpr uint32_t kCaption = 867;

    // Shows the text (formatted with args) and returns the button pressed.
    static QMessageBox::StandardButton Show(QWidget* parent, void* resources, uint32_t text,
                                            const QList<CFormatArg>& args, QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                            uint32_t caption = kCaption);
    static void SetHandler(Handler handler);
};
