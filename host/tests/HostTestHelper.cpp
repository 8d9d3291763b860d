// Helper process for the host's tests.
//   host_test_helper log <user dir> <count> <tag>   writes <count> records "<tag> <n> ..."
//   host_test_helper lock <runtime dir>             takes the instance lock, then waits
#include "host/CHostLog.h"
#include "host/CSingleInstance.h"

#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 5 && args[1] == u"log") {
        CHostLog log;
        log.SetUserDir(args[2]);
        const int count = args[3].toInt();
        for (int i = 0; i < count; ++i)
            log.Write(3, 0, QStringLiteral("%1 %2 ").arg(args[4]).arg(i) + QString(200, u'x'));
        return 0;
    }
    if (args.size() == 3 && args[1] == u"lock") {
        CSingleInstance instance(args[2]);
        if (!instance.Acquire())
            return 2;
        std::printf("locked\n");
        std::fflush(stdout);
        for (;;)
            pause();
    }
    return 1;
}
