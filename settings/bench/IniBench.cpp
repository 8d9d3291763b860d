// Time of reading and writing a settings file with many keys in one section and over many
// sections. Both should grow in proportion to the number of keys.
//
//   settings_ini_bench [KEYS]
#include "settings/CIniFile.h"

#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>

namespace {

void Measure(const char* name, const QByteArray& file) {
    CIniFile ini;
    QElapsedTimer t;
    t.start();
    ini.Parse(file);
    const double parseMs = t.nsecsElapsed() / 1e6;
    t.restart();
    const QByteArray written = ini.Serialize();
    std::printf("%-28s parse %8.2f ms, write %8.2f ms  (%lld bytes)\n", name, parseMs,
                t.nsecsElapsed() / 1e6, static_cast<long long>(written.size()));
}

} // namespace

int main(int argc, char** argv) {
    const int keys = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200000;
    QByteArray oneSection = "[GENERAL]\n";
    QByteArray manySections;
    for (int i = 0; i < keys; ++i) {
        oneSection += "Key" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";
        manySections += "[S" + QByteArray::number(i) + "]\nKey=" + QByteArray::number(i) + "\n";
    }
    Measure("keys in one section", oneSection);
    Measure("one key in each section", manySections);
    return 0;
}
