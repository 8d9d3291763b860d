// Zelta: the host program.
#include "host/CHostApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelta"));
    CHostApp::InstallQtTranslations();
    QStringList arguments = QApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    CHostApp host;
    return host.Run(arguments);
}
