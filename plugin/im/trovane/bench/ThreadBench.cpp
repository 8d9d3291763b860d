// Thread building at the size of a long conversation: 500 messages, each answering one of the
// earlier ones (a chain of 50 and branches around it), half of them with a sent copy as well,
// in a box that holds 10,000 other messages. Prints the time of the root walk, building the
// tree, refreshing it unchanged and refreshing it after a message in the middle is deleted.
//
//   trovane_thread_bench
#include "CMemoryCore.h"
#include "plugin/im/trovane/CTrovaneSettingsFiles.h"
#include "plugin/im/trovane/CTrovaneStore.h"
#include "plugin/im/trovane/CTrovaneThreads.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace TrovaneBox;

namespace {

constexpr int kConversation = 500;
constexpr int kOthers = 10000;

QString Id(const char* kind, int i) {
    return QStringLiteral("20261207120000%1-%2").arg(i, 6, 10, QLatin1Char('0')).arg(kind);
}

CTrovaneMessage Entry(CMemoryCore& core, const QString& id, const QString& reference, int i,
                      uint32_t boxFlags) {
    CLetrix m = MakeMessage(id, QStringLiteral("member%1").arg(i % 7), QStringLiteral("me"),
                            QStringLiteral("Re: 打ち合わせの件"));
    m.SetReferenceID(reference);
    m.SetSendTime(QStringLiteral("2026120%1%2%3%4")
                      .arg(1 + i / 1440)
                      .arg((i / 60) % 24, 2, 10, QLatin1Char('0'))
                      .arg(i % 60, 2, 10, QLatin1Char('0'))
                      .arg(0, 2, 10, QLatin1Char('0')),
                  0);
    CTrovaneMessage entry;
    entry.SetBoxFlags(boxFlags);
    entry.Fill(m.Record(), core);
    return entry;
}

double Ms(qint64 ns) {
    return ns / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    CMemoryCore core;
    CTrovaneStore store;
    CTrovaneSettingsFiles::CreateSystemFolders(store);
    for (int i = 0; i < kOthers; ++i)
        store.AddEntry(
            Entry(core, Id("other", i), i % 3 ? Id("other", i / 3) : QString(), i, Received));
    // Message i answers message i - 1 for the first 50 (a deep chain), else one of the earlier
    // ones spread over the conversation.
    uint32_t deepest = 0;
    for (int i = 0; i < kConversation; ++i) {
        const QString reference =
            i == 0
                ? QString()
                : Id("talk", i < 50 ? i - 1 : int((uint32_t(i) * 2654435761u >> 8) % uint32_t(i)));
        CTrovaneMessage* e = store.AddEntry(Entry(core, Id("talk", i), reference, i, Received));
        if (i % 2)
            store.AddEntry(Entry(core, Id("talk", i), reference, i, Sent));
        if (i == 49)
            deepest = e->LocalNumber();
    }

    QElapsedTimer t;
    t.start();
    CTrovaneMessage* root = CTrovaneThreads::Root(store, store.FindEntry(deepest));
    std::printf("root walk over a chain of 50: %.3f ms (root %s)\n", Ms(t.nsecsElapsed()),
                qPrintable(root ? root->GetMessageID() : QStringLiteral("none")));

    CTrovaneThreadTree tree(store);
    t.restart();
    tree.Open(deepest);
    std::printf("build the tree of a %d-message conversation: %.3f ms (%d nodes)\n", kConversation,
                Ms(t.nsecsElapsed()), tree.NodeCount());

    t.restart();
    tree.Refresh();
    std::printf("refresh it unchanged (in place): %.3f ms\n", Ms(t.nsecsElapsed()));

    store.DeleteEntry(store.FindEntry(Id("talk", 120), true));
    t.restart();
    const bool rebuilt = tree.Refresh();
    std::printf("refresh after deleting a message in the middle: %.3f ms (%s, %d nodes)\n",
                Ms(t.nsecsElapsed()), rebuilt ? "rebuilt" : "in place", tree.NodeCount());
    return 0;
}
