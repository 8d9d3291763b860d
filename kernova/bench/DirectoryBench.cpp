// Time of the directory as the plug-ins use it, on a service of 2,000 members in 100 groups:
// rebuilding the core's tree after a change, OBRIX_GetGroupAll with the copy a plug-in makes
// of it, and one presence change from another member to the plug-ins' callback.
#include "kernova/CKernovaCore.h"
#include "kernova/ObrixExports.h"
#include "kernova/service/CLocalService.h"
#include "kernova/service/CLocalServiceAdmin.h"
#include "kernova/tests/CFakeHost.h"
#include "obrix/CIMGroup.h"
#include "obrix/ObrixApi.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kMembers = 2000;
constexpr int kGroups = 100;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(tmp.path()));
    const QString dir = tmp.path() + "/service";
    CLocalServiceAdmin admin(dir);
    if (!admin.Create())
        return 1;
    {
        for (int i = 0; i < kMembers; ++i) {
            SvcMember m;
            m.id = QStringLiteral("m%1").arg(i);
            m.familyName[1] = QStringLiteral("Member %1").arg(i);
            admin.AddMember(m, "pw");
        }
        for (int g = 0; g < kGroups; ++g)
            admin.AddGroup({QStringLiteral("g%1").arg(g),
                            g % 10 ? QStringLiteral("g%1").arg(g - g % 10) : QString(),
                            QStringLiteral("Group %1").arg(g),
                            0,
                            {}});
        for (int i = 0; i < kMembers; ++i)
            admin.AddMembership(QStringLiteral("g%1").arg(i % kGroups),
                                QStringLiteral("m%1").arg(i), 0);
    }

    qputenv("ZELTA_SERVICE_DIR", QFile::encodeName(dir));
    kntest::CFakeHost host;
    host.userDir = tmp.path() + "/user/";
    host.appDir = tmp.path() + "/app/";
    CKernovaCore core(host);
    CKernovaCore::SetInstance(&core);
    if (!core.LogonWith("m0", "pw")) {
        std::fprintf(stderr, "log-on failed: %s\n", qPrintable(core.LastLogonError()));
        return 1;
    }

    std::vector<double> rebuild, getAll;
    for (int round = 0; round < 20; ++round) {
        QElapsedTimer t;
        t.start();
        core.Directory().Rebuild(core.Service()->GetGroups(), core.Service()->GetMemberships(),
                                 core.Service()->GetMembers());
        rebuild.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        CIMGroup copy;
        copy = OBRIX_GetGroupAll();
        getAll.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("directory of %d members in %d groups\n", kMembers, kGroups);
    std::printf("rebuild after a change:             median %.2f ms\n", Median(rebuild));
    std::printf("OBRIX_GetGroupAll and a plug-in copy: median %.2f ms per call\n", Median(getAll));

    std::vector<double> presence;
    CLocalService peer(dir);
    for (int round = 0; round < 10; ++round) {
        bool seen = false;
        auto conn = QObject::connect(core.Service(), &CMessagingService::MemberPresenceChanged,
                                     &core, [&](const QString&, const QString& m, const QString&) {
                                         if (m == u"m1")
                                             seen = true;
                                     });
        QElapsedTimer t;
        t.start();
        if (round % 2 == 0)
            peer.Logon("m1", "pw");
        else
            peer.Logoff();
        if (!QTest::qWaitFor([&] { return seen; }, 5000))
            std::fprintf(stderr, "presence change %d did not arrive\n", round);
        presence.push_back(t.nsecsElapsed() / 1e6);
        QObject::disconnect(conn);
    }
    std::printf("presence change to the core's event: median %.2f ms\n", Median(presence));
    core.RequestLogoff();
    return 0;
}
