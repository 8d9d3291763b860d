#include "plugin/im/letrix/CIMMesPrompt.h"

namespace {

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
    return QMessageBox::StandardButton(box.exec());
}
