#include "plugin/im/letrix/CIMMesPrompt.h"

#include <QAbstractButton>

namespace {

constexpr uint32_t kOk = 1093, kCancel = 1094, kYes = 1445, kNo = 1446;

CIMMesPrompt::Handler& ActiveHandler() {
    static CIMMesPrompt::Handler handler;
    return handler;
}

} // namespace

void CIMMesPrompt::SetHandler(Handler handler) {
    ActiveHandler() = std::move(handler);
}

QMessageBox::StandardButton
CIMMesPrompt::Show(QWidget* parent, void* resources, uint32_t text, const QList<CFormatArg>& args,
                   QMessageBox::Icon icon, QMessageBox::StandardButtons buttons, uint32_t caption) {
    const Request request{
        caption, text,
        CResourceLoader::FormatText(CResourceLoader::LoadString(resources, text), args), icon,
        buttons};
    if (ActiveHandler())
        return ActiveHandler()(request);
    QMessageBox box(icon, CResourceLoader::LoadString(resources, caption), request.shownText,
                    buttons, parent);
    // The program loads no Qt translations: the standard buttons are named from the table.
    const std::pair<QMessageBox::StandardButton, uint32_t> names[] = {
        {QMessageBox::Ok, kOk}, {QMessageBox::Cancel, kCancel}, {QMessageBox::Yes, kYes},
        {QMessageBox::No, kNo}};
    for (const auto& [button, name] : names)
        if (QAbstractButton* b = box.button(button))
            b->setText(CResourceLoader::LoadString(resources, name));
    return QMessageBox::StandardButton(box.exec());
}
