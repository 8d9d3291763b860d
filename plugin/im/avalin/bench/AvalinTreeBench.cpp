// The member tree at the size of a large organisation: 2,000 members in 100 groups (each
// member in two groups, half of them on line). Prints the time to build the tree after
// log-on and per presence event (1,000 events, each reading the member's record as the core
// hands it out), with the IM window's list view attached as in the program, and how many
// model resets the events caused.
#include "obrix/CIMGroup.h"
#include "plugin/im/avalin/CAvalinDirectory.h"
#include "plugin/im/avalin/CMemberTreeModel.h"
#include "plugin/im/avalin/CPresenceList.h"
#include "plugin/im/avalin/CStatusIcons.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kMembers = 2000;
constexpr int kGroups = 100;
constexpr int kEvents = 1000;

QString MemberId(int m) {
    return QStringLiteral("member%1").arg(m, 4, 10, QLatin1Char('0'));
}

// The core's directory: member m belongs to groups m % 100 and (m / 20) % 100.
std::unique_ptr<CIMGroup> CoreTree() {
    auto first = std::make_unique<CIMGroup>();
    CIMGroup* group = nullptr;
    for (int g = 0; g < kGroups; ++g) {
        group = group ? group->CreateBros() : first.get();
        group->SetID(QStringLiteral("group%1").arg(g));
        group->SetName(QStringLiteral("グループ %1").arg(g));
    }
    for (int m = 0; m < kMembers; ++m) {
        for (int g : {m % kGroups, (m / 20 + 1) % kGroups}) {
            CIMGrpMember* member =
                first->SearchID(QStringLiteral("group%1").arg(g))->AddMember(MemberId(m));
            member->SetName(QStringLiteral("社員 %1").arg(m));
            member->SetStatus(m % 2 ? QStringLiteral("on") : QStringLiteral("off"));
            member->SetIcon(QStringLiteral("1-1"));
            member->SetBkColor(0x00CCFFCCu);
        }
    }
    return first;
}

void Print(const char* what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-48s median %8.3f ms   90%% %8.3f ms   max %8.3f ms\n", what, v[v.size() / 2],
                v[v.size() * 9 / 10], v.back());
}

// Builds the tree five times and then applies the presence events, with or without the list
// view on the model, and prints the figures.
void Run(bool withView, CIMGroup& core) {
    std::printf("%s\n", withView ? "with the list view attached:" : "model only:");
    CAvalinDirectory dir;
    CMemberTreeModel model;
    model.SetUserID(MemberId(1));
    CStatusIcons icons;
    std::unique_ptr<CPresenceList> view;
    if (withView) {
        view = std::make_unique<CPresenceList>(&model, &icons, nullptr);
        view->resize(300, 600);
        view->show();
    }
    QStringList expanded;
    for (int g = 0; g < kGroups; ++g)
        expanded.append(QStringLiteral("group%1").arg(g));

    std::vector<double> copies;
    std::vector<double> builds;
    for (int round = 0; round < 5; ++round) {
        model.Clear();
        QElapsedTimer timer;
        timer.start();
        dir.Replace(core);
        copies.push_back(timer.nsecsElapsed() / 1e6);
        model.Build(&dir.OnNetters(), dir.Groups(), expanded);
        builds.push_back(timer.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }
    std::printf("  rows: %d (every group expanded)\n", model.rowCount());
    Print("  copy of the directory and on-line group", copies);
    Print("  build in all (copy, rows in sort order)", builds);

    auto fetch = [&](const QString& g, const QString& m) -> const tagIMGRPMEMBER* {
        CIMGroup* group = core.SearchID(g);
        CIMGrpMember* member = group ? group->GetMember(m) : nullptr;
        return member ? static_cast<const tagIMGRPMEMBER*>(*member) : nullptr;
    };
    const QString statuses[4] = {QStringLiteral("on"), QStringLiteral("off"),
                                 QStringLiteral("会議中"), QStringLiteral("外出中")};
    std::mt19937 random(7);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    std::vector<double> events;
    for (int e = 0; e < kEvents; ++e) {
        const int m = int(random() % kMembers);
        const QString status = statuses[random() % 4];
        // The core changed the member's presence in both its groups and reports "all".
        for (int g : {m % kGroups, (m / 20 + 1) % kGroups})
            core.SearchID(QStringLiteral("group%1").arg(g))
                ->GetMember(MemberId(m))
                ->SetStatus(status);
        QElapsedTimer timer;
        timer.start();
        const auto change = dir.ApplyPresence(QStringLiteral("all"), MemberId(m), fetch);
        if (change.onNetMember)
            model.UpdateMember(CAvalinDirectory::kOnNettersID, MemberId(m), change.onNetMember);
        for (const QString& g : change.groupIds)
            model.UpdateMember(g, MemberId(m), nullptr);
        events.push_back(timer.nsecsElapsed() / 1e6);
        if (view)
            QCoreApplication::processEvents();
    }
    Print("  presence event (\"all\", two groups)", events);
    std::printf("  model resets during %d events: %lld\n", kEvents,
                static_cast<long long>(resets.count()));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    std::unique_ptr<CIMGroup> core = CoreTree();
    std::printf("%d members in %d groups, %d presence events\n", kMembers, kGroups, kEvents);
    Run(false, *core);
    Run(true, *core);
    return 0;
}
