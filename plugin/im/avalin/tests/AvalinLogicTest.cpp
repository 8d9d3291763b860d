#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/AvalinStatus.h"
#include "plugin/im/avalin/CAvalinCommands.h"
#include "plugin/im/avalin/CPresetList.h"
#include "plugin/im/avalin/CWinPos.h"
#include "plugin/im/avalin/tests/AvalinTestTree.h"

#include <gtest/gtest.h>

namespace {

TEST(AvalinStatusText, StoredAndTypedStatusesReadAsTheUserExpects) {
    EXPECT_EQ(AvalinStatus::Shown(QString()), QStringLiteral("OnNet"));
    EXPECT_EQ(AvalinStatus::Shown(QStringLiteral("ON")), QStringLiteral("OnNet"));
    EXPECT_EQ(AvalinStatus::Shown(QStringLiteral("off")), QStringLiteral("OffNet"));
    EXPECT_EQ(AvalinStatus::Shown(QStringLiteral("Off")), QStringLiteral("Off"));
    EXPECT_EQ(AvalinStatus::ToSend(QStringLiteral("onnet")), QStringLiteral("on"));
    EXPECT_EQ(AvalinStatus::ToSend(QString()), QStringLiteral("on"));
    EXPECT_EQ(AvalinStatus::ToSend(QStringLiteral("外出中")), QStringLiteral("外出中"));
    EXPECT_EQ(AvalinStatus::MenuEscaped(QStringLiteral("&")), QStringLiteral("&&"));
    EXPECT_EQ(AvalinStatus::MenuEscaped(QStringLiteral("R&D")), QStringLiteral("R&&D"));
    EXPECT_TRUE(AvalinStatus::IsUrl(QStringLiteral("https://example.org/status")));
    EXPECT_FALSE(AvalinStatus::IsUrl(QStringLiteral("https://")));
    EXPECT_FALSE(AvalinStatus::IsUrl(QStringLiteral("see http://x.org")));
    EXPECT_FALSE(AvalinStatus::IsUrl(QStringLiteral("javascript:alert(1)")));
}

TEST(AvalinPresetCommands, F2AndF3AreSwappedAgainstTheRunOfNumbers) {
    EXPECT_EQ(AvalinCmd::PresetIndex(32909), 0);
    EXPECT_EQ(AvalinCmd::PresetIndex(32908), 1);
    EXPECT_EQ(AvalinCmd::PresetIndex(32910), 2);
    EXPECT_EQ(AvalinCmd::PresetIndex(32918), 10);
    EXPECT_EQ(AvalinCmd::PresetIndex(32919), -1);
    for (int i = 0; i < CPresetList::kCount; ++i)
        EXPECT_EQ(AvalinCmd::PresetIndex(AvalinCmd::PresetCommand(i)), i);
}

std::unique_ptr<CIMGroup> Groups() {
    return MakeTree({{"g1", "一課", {{"me", "Me", "on"}}},
                     {"g2", "二課", {{"me", "Me", "on"}, {"x", "X", "on"}}},
                     {"g3", "三課", {{"x", "X", "on"}}}});
}

TEST(AvalinPresets, ReconcileFollowsTheUsersGroups) {
    auto tree = Groups();
    CPresetList presets;
    presets.FillDefaults(CPresetList::UserGroups(tree.get(), QStringLiteral("me")));
    EXPECT_EQ(presets.At(0).GetGroup(), QStringLiteral("g1,g2"));
    EXPECT_TRUE(presets.At(0).IsAllGroup());
    // Preset 1 is shown in g1 only: not all groups.
    CIMPreset onlyFirst = presets.At(1);
    onlyFirst.ClearGroup();
    onlyFirst.AddGroup(QStringLiteral("g1"));
    onlyFirst.SetMaxGroup(2);
    presets.Set(1, onlyFirst);

    // The user joins g3: every all-groups preset shows there too, no other preset does.
    tree->SearchID(QStringLiteral("g3"))->AddMember(QStringLiteral("me"));
    EXPECT_TRUE(presets.Reconcile(tree.get(), QStringLiteral("me")));
    EXPECT_EQ(presets.At(0).GetGroup(), QStringLiteral("g1,g2,g3"));
    EXPECT_TRUE(presets.At(10).IsAllGroup());
    EXPECT_EQ(presets.At(1).GetGroup(), QStringLiteral("g1"));
    EXPECT_FALSE(presets.At(1).IsAllGroup());

    // The user leaves g1 and g2 vanishes: the ids leave every preset, and a preset shown
    // everywhere still is.
    tree->SearchID(QStringLiteral("g1"))->RemoveMember(QStringLiteral("me"));
    tree->SearchID(QStringLiteral("g1"))->RemoveBros();
    tree->SearchID(QStringLiteral("g1"))->CreateBros()->SetID(QStringLiteral("g3"));
    tree->SearchID(QStringLiteral("g3"))->AddMember(QStringLiteral("me"));
    EXPECT_TRUE(presets.Reconcile(tree.get(), QStringLiteral("me")));
    EXPECT_EQ(presets.At(0).GetGroup(), QStringLiteral("g3"));
    EXPECT_TRUE(presets.At(0).IsAllGroup());
    EXPECT_EQ(presets.At(1).GetGroup(), QString());
    EXPECT_FALSE(presets.Reconcile(tree.get(), QStringLiteral("me")));
}

TEST(AvalinPresets, FileHoldsElevenPresetsAndRefusesLess) {
    CPresetList presets;
    presets.FillDefaults({QStringLiteral("g1")});
    CIMPreset away = presets.At(3);
    away.SetStatus(QStringLiteral("離席中"));
    away.SetBkColor(AvalinColour::Yellow);
    presets.Set(3, away);
    const QByteArray bytes = presets.Bytes();

    CPresetList loaded;
    loaded.Clear();
    ASSERT_TRUE(loaded.Load(bytes));
    ASSERT_EQ(loaded.Count(), 11);
    EXPECT_EQ(loaded.At(3).GetStatus(), QStringLiteral("離席中"));
    EXPECT_EQ(loaded.At(3).GetBkColor(), AvalinColour::Yellow);
    EXPECT_EQ(loaded.At(10).GetGroup(), QStringLiteral("g1"));

    // A file cut inside the last preset leaves the list as it was.
    CPresetList damaged;
    EXPECT_FALSE(damaged.Load(bytes.left(bytes.size() - 3)));
    EXPECT_EQ(damaged.Count(), 11);
    EXPECT_EQ(damaged.At(3).GetStatus(), QStringLiteral("OnNet"));
    EXPECT_FALSE(damaged.Load(QByteArray()));
}

TEST(AvalinWinPos, PlacementParsesFiveIntegersAndRestoresMinimised) {
    const auto minimised = CWinPos::Parse(QStringLiteral("2:10:20:310:420"));
    ASSERT_TRUE(minimised);
    EXPECT_EQ(minimised->showCommand, CWinPos::kRestore);
    EXPECT_EQ(minimised->normal, QRect(10, 20, 300, 400));
    EXPECT_EQ(CWinPos::Parse(QStringLiteral("3:0:0:800:600"))->showCommand, CWinPos::kMaximised);
    EXPECT_EQ(CWinPos::Parse(QStringLiteral("1:-5:-5:100:100"))->normal.topLeft(), QPoint(-5, -5));

    EXPECT_FALSE(CWinPos::Parse(QString()));
    EXPECT_FALSE(CWinPos::Parse(QStringLiteral("1:2:3:4")));
    EXPECT_FALSE(CWinPos::Parse(QStringLiteral("1:2:3:4:5:6")));
    EXPECT_FALSE(CWinPos::Parse(QStringLiteral("1:2:x:4:5")));

    CWinPos stored{CWinPos::kMaximised, QRect(10, 20, 300, 400)};
    EXPECT_EQ(stored.ToString(), QStringLiteral("3:10:20:310:420"));
    EXPECT_EQ(CWinPos::Parse(stored.ToString())->normal, stored.normal);
}

TEST(AvalinCommandConditions, LoggedOffLeavesOnlyTheCommandsThatNeedNoSession) {
    AvalinCommandState off;
    off.selected = 1;
    off.propertyRow = off.chatSelection = off.oneOtherMember = off.groupHasOnline = true;
    off.chatPresent = true;
    QList<int> enabled;
    for (int command : AvalinCommands::All()) {
        if (AvalinCommands::IsEnabled(command, off))
            enabled.append(command);
    }
    using namespace AvalinCmd;
    for (int command :
         {NewMessage, NewMessageButton, Chat, ChatButton, FreeInput, PresetF2, PresetF12,
          OptionPresence, OptionMessage, OptionChat, OptionNotify, Property, MyProperty, SelectChat,
          SelectMessage, OnNettersMessage, SettingSound, StatusMenu})
        EXPECT_FALSE(enabled.contains(command)) << command;
    for (int command : {MessageBox, MessageBoxButton, Logon, OptionGeneral, Exit, Close, Help,
                        Version, PresetList, SettingMenu})
        EXPECT_TRUE(enabled.contains(command)) << command;
    EXPECT_FALSE(AvalinCommands::IsEnabled(12345, off));
}

TEST(AvalinCommandConditions, SelectionChatModuleAndTabDecide) {
    using namespace AvalinCmd;
    AvalinCommandState on;
    on.loggedOn = true;
    EXPECT_FALSE(AvalinCommands::IsEnabled(SelectMessage, on));
    EXPECT_FALSE(AvalinCommands::IsEnabled(ChatButton, on));
    on.selected = 2;
    on.chatSelection = true;
    EXPECT_TRUE(AvalinCommands::IsEnabled(SelectMessage, on));
    EXPECT_FALSE(AvalinCommands::IsEnabled(SelectChat, on)); // no chat module
    on.chatPresent = true;
    EXPECT_TRUE(AvalinCommands::IsEnabled(SelectChat, on));
    EXPECT_FALSE(AvalinCommands::IsEnabled(Property, on)); // two rows
    on.tab = AvalinCommandState::SentTab;
    EXPECT_FALSE(AvalinCommands::IsEnabled(SelectChat, on));
    EXPECT_FALSE(AvalinCommands::IsEnabled(SortName, on));
    EXPECT_TRUE(AvalinCommands::IsEnabled(SortDate, on));
}

} // namespace
