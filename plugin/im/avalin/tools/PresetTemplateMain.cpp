// Writes the status preset template that the presence plug-in copies for a user who has no
// presets yet: avalin_presetgen <path of Preset.zin>.
#include "plugin/im/avalin/CPresetList.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: avalin_presetgen <Preset.zin>\n");
        return 2;
    }
    QSaveFile file(args[1]);
    if (!file.open(QIODevice::WriteOnly) || file.write(CPresetList::Template().Bytes()) < 0 ||
        !file.commit()) {
        std::fprintf(stderr, "avalin_presetgen: cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
