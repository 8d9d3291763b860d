// Zelta: the host program.
#include "host/CHostApp.h"
#include "obrix/QtTexts.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelta"));
    QtTexts::InstallJapanese();
    QStringList arguments = QApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    CHostApp host;
    return host.Run(arguments);
}
