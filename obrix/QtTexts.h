// Qt's own texts (standard buttons, file dialogs, edit menus) in Japanese like the rest of the
// program, whatever the desktop's locale. The host installs them at start-up; the test main
// does too, so that windows under test look as they do in the program.
#pragma once

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace QtTexts {

// Installs Qt's Japanese translation once. False when it is not installed (package
// qt6-translations-l10n); Qt then keeps its English texts.
inline bool InstallJapanese() {
    static QTranslator* installed = nullptr;
    if (installed)
        return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

} // namespace QtTexts
