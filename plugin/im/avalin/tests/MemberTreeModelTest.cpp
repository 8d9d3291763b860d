#include "plugin/im/avalin/CAvalinDirectory.h"
#include "plugin/im/avalin/CExpandedGroups.h"
#include "plugin/im/avalin/CMemberTreeModel.h"
#include "plugin/im/avalin/tests/AvalinTestTree.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// The demo-like directory: the user "me", two groups sharing member "aoki".
std::unique_ptr<CIMGroup> SampleTree() {
    return MakeTree({{"sales",
                      "営業部",
                      {{"me", "Me", "on"},
                       {"aoki", "Aoki", "on"},
                       {"baba", "Baba", "off"},
                       {"chiba", "Chiba", "会議中", 0x00CCFFFF}}},
                     {"dev", "開発部", {{"aoki", "Aoki", "on"}, {"doi", "Doi", "off"}}}});
}

class MemberTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        core = SampleTree();
        dir.Replace(*core);
        model.SetUserID(QStringLiteral("me"));
        tester = std::make_unique<QAbstractItemModelTester>(
            &model, QAbstractItemModelTester::FailureReportingMode::Warning);
    }

    void Build(const QStringList& expanded = {QStringLiteral("SALES"), QStringLiteral("dev")}) {
        model.Build(&dir.OnNetters(), dir.Groups(), expanded);
    }

    // Each row as "G:name" or "name/status".
    QStringList Rows() const {
        QStringList rows;
        for (int r = 0; r < model.rowCount(); ++r) {
            const QString name = model.index(r, 1).data().toString();
            rows.append(model.RowKind(r) == CMemberTreeModel::GroupRow
                            ? QStringLiteral("G:") + name
                            : name + u'/' + model.index(r, 2).data().toString());
        }
        return rows;
    }

    // The core changes a member's presence in one group; the plug-in applies the event.
    void Presence(const char* groupId, const char* memberId, const char* status,
                  const char* coreGroup = nullptr) {
        CIMGroup* group = core->SearchID(QString::fromUtf8(coreGroup ? coreGroup : groupId));
        group->GetMember(QString::fromUtf8(memberId))->SetStatus(QString::fromUtf8(status));
        const auto change = dir.ApplyPresence(
            QString::fromUtf8(groupId), QString::fromUtf8(memberId),
            [this](const QString& g, const QString& m) -> const tagIMGRPMEMBER* {
                CIMGroup* found = core->SearchID(g);
                CIMGrpMember* member = found ? found->GetMember(m) : nullptr;
                return member ? static_cast<const tagIMGRPMEMBER*>(*member) : nullptr;
            });
        if (change.onNetMember)
            model.UpdateMember(CAvalinDirectory::kOnNettersID, QString::fromUtf8(memberId),
                               change.onNetMember);
        for (const QString& g : change.groupIds)
            model.UpdateMember(g, QString::fromUtf8(memberId), nullptr);
    }

    std::unique_ptr<CIMGroup> core;
    CAvalinDirectory dir;
    CMemberTreeModel model;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(MemberTreeTest, BuildListsOnlineGroupFirstThenGroupsWithOwnRowLeading) {
    Build({QStringLiteral("SALES")});
    EXPECT_EQ(Rows(),
              (QStringList{"G:OnNetMembers", "Me/OnNet", "Aoki/OnNet", "Chiba/会議中", "G:営業部",
                           "Me/OnNet", "Aoki/OnNet", "Baba/OffNet", "Chiba/会議中", "G:開発部"}));
    EXPECT_EQ(model.RowKind(0), CMemberTreeModel::GroupRow);
    EXPECT_EQ(model.RowKind(1), CMemberTreeModel::OwnRow);
    EXPECT_EQ(model.RowKind(2), CMemberTreeModel::MemberRow);
    EXPECT_EQ(model.RowKind(99), CMemberTreeModel::NoRow);
    EXPECT_TRUE(model.IsExpanded(0));
    EXPECT_FALSE(model.IsExpanded(9));
    EXPECT_EQ(model.index(9, 0).data(CMemberTreeModel::ExpanderRole).toInt(), 2);
    // Rows point at the directory's own memberships, not at copies.
    EXPECT_EQ(model.MemberAt(6), dir.Groups()->GetMember(QStringLiteral("aoki")));
}

TEST_F(MemberTreeTest, OnlineGroupStaysExpandedOnRebuildAfterCollapse) {
    Build();
    ASSERT_TRUE(model.Toggle(0));
    EXPECT_EQ(model.rowCount(), 1 + 1 + 4 + 1 + 2);
    Build(model.ExpandedGroups());
    EXPECT_TRUE(model.IsExpanded(0));
    EXPECT_EQ(Rows().mid(0, 4),
              (QStringList{"G:OnNetMembers", "Me/OnNet", "Aoki/OnNet", "Chiba/会議中"}));
}

TEST_F(MemberTreeTest, MemberGoingOffLeavesOnlineGroupButStaysOffNetInItsGroups) {
    Build();
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    Presence("all", "aoki", "off", "sales");
    // "all" also reaches the second group of the member.
    core->SearchID(QStringLiteral("dev"))->GetMember(QStringLiteral("aoki"))->SetStatus("off");
    Presence("all", "aoki", "off", "dev");
    EXPECT_EQ(Rows(), (QStringList{"G:OnNetMembers", "Me/OnNet", "Chiba/会議中", "G:営業部",
                                   "Me/OnNet", "Aoki/OffNet", "Baba/OffNet", "Chiba/会議中",
                                   "G:開発部", "Aoki/OffNet", "Doi/OffNet"}));
    EXPECT_EQ(resets.count(), 0);
}

TEST_F(MemberTreeTest, MemberComingOnIsInsertedInOnlineGroupOnlyWhileItIsExpanded) {
    Build();
    Presence("dev", "doi", "on");
    EXPECT_EQ(Rows().mid(0, 5), (QStringList{"G:OnNetMembers", "Me/OnNet", "Aoki/OnNet",
                                             "Chiba/会議中", "Doi/OnNet"}));
    // Sorted into place, the own row still first.
    model.Sort(CMemberTreeModel::ByName, false);
    EXPECT_EQ(Rows().mid(0, 5), (QStringList{"G:OnNetMembers", "Me/OnNet", "Doi/OnNet",
                                             "Chiba/会議中", "Aoki/OnNet"}));

    model.Toggle(0);
    Presence("sales", "baba", "on");
    EXPECT_EQ(model.FindMemberRow(CAvalinDirectory::kOnNettersID, QStringLiteral("baba")), -1);
    EXPECT_EQ(model.index(model.FindMemberRow("sales", "baba"), 2).data().toString(),
              QStringLiteral("OnNet"));
    // Expanding later lists everybody on line, Baba included.
    model.Toggle(0);
    EXPECT_NE(model.FindMemberRow(CAvalinDirectory::kOnNettersID, QStringLiteral("BABA")), -1);
}

TEST_F(MemberTreeTest, StatusChangeMovesTheRowWithinItsRunOnly) {
    Build();
    model.Sort(CMemberTreeModel::ByStatus, true);
    // "OnNet" < "会議中" ordinally; Chiba becomes "Away" and moves before the OnNet rows.
    Presence("sales", "chiba", "Away");
    EXPECT_EQ(Rows(), (QStringList{"G:OnNetMembers", "Me/OnNet", "Chiba/Away", "Aoki/OnNet",
                                   "G:営業部", "Me/OnNet", "Chiba/Away", "Baba/OffNet",
                                   "Aoki/OnNet", "G:開発部", "Doi/OffNet", "Aoki/OnNet"}));
    // An event for an unknown member or group changes nothing.
    const QStringList before = Rows();
    const auto none = dir.ApplyPresence(QStringLiteral("nope"), QStringLiteral("aoki"),
                                        [](const QString&, const QString&) { return nullptr; });
    EXPECT_EQ(none.onNetMember, nullptr);
    model.UpdateMember(QStringLiteral("sales"), QStringLiteral("ghost"), nullptr);
    EXPECT_EQ(Rows(), before);
}

TEST_F(MemberTreeTest, SortByOnOffPutsOffBeforeOnAndNeverMovesOwnRowOrGroups) {
    Build();
    model.Sort(CMemberTreeModel::ByOnOff, true);
    EXPECT_EQ(Rows().mid(4, 5),
              (QStringList{"G:営業部", "Me/OnNet", "Baba/OffNet", "Aoki/OnNet", "Chiba/会議中"}));
    model.Sort(CMemberTreeModel::ByID, false);
    EXPECT_EQ(Rows().mid(4, 5),
              (QStringList{"G:営業部", "Me/OnNet", "Chiba/会議中", "Baba/OffNet", "Aoki/OnNet"}));
    EXPECT_EQ(model.SortColumn(), CMemberTreeModel::ByID);
    EXPECT_FALSE(model.SortAscending());
}

TEST_F(MemberTreeTest, ToggleRecordsExpandedGroupsAndCollapseAllEmptiesThem) {
    Build({});
    QSignalSpy changed(&model, &CMemberTreeModel::ExpandedChanged);
    const int dev = model.FindGroupRow(QStringLiteral("DEV"));
    ASSERT_TRUE(model.Toggle(dev));
    EXPECT_EQ(model.ExpandedGroups(), QStringList{"dev"});
    // Off-line members are listed in an ordinary group.
    EXPECT_EQ(Rows().mid(dev, 3), (QStringList{"G:開発部", "Aoki/OnNet", "Doi/OffNet"}));
    EXPECT_FALSE(model.Toggle(dev + 1));
    model.CollapseAll();
    EXPECT_TRUE(model.ExpandedGroups().isEmpty());
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(changed.count(), 3);
}

TEST_F(MemberTreeTest, SelectionGivesDragTextTargetsAndChatMembers) {
    Build({QStringLiteral("sales")});
    // 0 online group, 1 me, 2 aoki, 3 chiba, 4 sales, 5 me, 6 aoki, 7 baba, 8 chiba, 9 dev
    EXPECT_EQ(model.DragText({2}).Text(), QStringLiteral("M,aoki"));
    EXPECT_EQ(model.DragText({2}).Kind(), CMemberDragText::OneMember);
    EXPECT_EQ(model.DragText({0, 4, 9}).Text(), QStringLiteral("O,OnNetters,G,sales,G,dev"));
    EXPECT_EQ(model.DragText({0, 4, 9}).Kind(), CMemberDragText::Groups);
    EXPECT_EQ(model.DragText({4, 2, 42}).Kind(), CMemberDragText::Mixed);

    EXPECT_EQ(model.MessageTargets({4, 2}), (QStringList{"sales", "aoki"}));
    EXPECT_TRUE(model.IsChatSelection({2, 3}));
    EXPECT_FALSE(model.IsChatSelection({2, 1})); // the own row
    EXPECT_FALSE(model.IsChatSelection({2, 7})); // off line
    EXPECT_FALSE(model.IsChatSelection({}));
    EXPECT_EQ(model.ChatMembers({8, 2, 6, 7, 1}), (QStringList{"aoki", "chiba"}));
}

TEST_F(MemberTreeTest, RenameAndReplaceKeepRowsOnTheDirectory) {
    Build();
    CIMGroup fresh;
    fresh.SetID(QStringLiteral("dev"));
    fresh.SetName(QStringLiteral("開発本部"));
    ASSERT_TRUE(dir.ApplyGroupName(QStringLiteral("dev"), fresh));
    EXPECT_FALSE(dir.ApplyGroupName(QStringLiteral("gone"), fresh));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.RenameGroup(QStringLiteral("Dev"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(Rows().contains(QStringLiteral("G:開発本部")));
    // The on-line group holds each member once, the first group's copy winning.
    EXPECT_EQ(dir.OnNetters().GetMembers(), 5u);
    EXPECT_EQ(dir.GroupIds(), (QStringList{"sales", "dev"}));
}

TEST(ExpandedGroupsFile, BytesAreCountThenArchivedUnicodeStrings) {
    const QByteArray bytes = CExpandedGroups::ToBytes({QStringLiteral("g1"), QStringLiteral("営")});
    EXPECT_EQ(bytes, QByteArray("\x02\0\0\0"
                                "\xFF\xFE\xFF\x02g\0"
                                "1\0"
                                "\xFF\xFE\xFF\x01\xB6\x55",
                                4 + 8 + 6));
    EXPECT_EQ(CExpandedGroups::FromBytes(bytes), (QStringList{"g1", "営"}));
    // 8-bit strings are read too; damaged or missing files mean nothing expanded.
    EXPECT_EQ(CExpandedGroups::FromBytes(QByteArray("\x01\0\0\0\x02"
                                                    "ab",
                                                    7)),
              QStringList{"ab"});
    EXPECT_TRUE(CExpandedGroups::FromBytes(bytes.left(bytes.size() - 1)).isEmpty());
    EXPECT_TRUE(CExpandedGroups::FromBytes(QByteArray("\xFF\xFF\xFF\x7F", 4)).isEmpty());
    EXPECT_TRUE(CExpandedGroups::FromBytes({}).isEmpty());
}

} // namespace
