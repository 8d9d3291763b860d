#include "plugin/im/avalin/CAvalinCommands.h"

#include "plugin/im/avalin/AvalinIds.h"

namespace {

using namespace AvalinCmd;

enum Need : unsigned {
    None = 0,
    LoggedOn = 1,
    ChatModule = 2,
    MembersTab = 4,
    MessageTabs = 8,
    Selection = 16,
    PropertyRow = 32,
    ChatSelection = 64,
    OneOtherMember = 128,
    GroupOnline = 256,
};

struct CommandRule {
    int command;
    unsigned needs;
};

constexpr CommandRule kRules[] = {
    {NewMessageButton, LoggedOn},
    {NewMessage, LoggedOn},
    {MessageBoxButton, None},
    {MessageBox, None},
    {ChatButton, LoggedOn | ChatModule},
    {Chat, LoggedOn | ChatModule},
    {StatusChangeButton, LoggedOn},
    {FreeInput, LoggedOn},
    {PresetF2, LoggedOn},
    {PresetF3, LoggedOn},
    {PresetF4, LoggedOn},
    {PresetF4 + 1, LoggedOn},
    {PresetF4 + 2, LoggedOn},
    {PresetF4 + 3, LoggedOn},
    {PresetF4 + 4, LoggedOn},
    {PresetF4 + 5, LoggedOn},
    {PresetF4 + 6, LoggedOn},
    {PresetF4 + 7, LoggedOn},
    {PresetF12, LoggedOn},
    {PresetList, None},
    {Logon, None},
    {OptionGeneral, None},
    {OptionPresence, LoggedOn},
    {OptionMessage, LoggedOn},
    {OptionChat, LoggedOn | ChatModule},
    {OptionNotify, LoggedOn},
    {Close, None},
    {Exit, None},
    {Order, None},
    {SortName, MembersTab},
    {SortOnOff, MembersTab},
    {SortStatus, MembersTab},
    {SortID, MembersTab},
    {SortDate, MessageTabs},
    {SortFrom, MessageTabs},
    {SortTo, MessageTabs},
    {SortSubject, MessageTabs},
    {Property, LoggedOn | PropertyRow},
    {MyProperty, LoggedOn},
    {SelectChat, LoggedOn | ChatModule | MembersTab | ChatSelection},
    {SelectMessage, LoggedOn | MembersTab | Selection},
    {OnNettersMessage, LoggedOn | MembersTab | GroupOnline},
    {SettingSound, LoggedOn | MembersTab | OneOtherMember},
    {Reply, LoggedOn | MessageTabs | Selection},
    {ReEdit, LoggedOn | MessageTabs | Selection},
    {ReplyAll, LoggedOn | MessageTabs | Selection},
    {Open, LoggedOn | MessageTabs | Selection},
    {Transfer, LoggedOn | MessageTabs | Selection},
    {Clear, MessageTabs | Selection},
    {ClearAll, MessageTabs},
    {Help, None},
    {Version, None},
    {WebSite, None},
    {OpenWindow, None},
    {StatusMenu, LoggedOn},
    {SettingMenu, None},
    {NextControl, None},
    {PrevControl, None},
    {PressFocused, None},
};

} // namespace

namespace AvalinCommands {

bool IsEnabled(int command, const AvalinCommandState& s) {
    for (const CommandRule& rule : kRules) {
        if (rule.command != command)
            continue;
        const unsigned n = rule.needs;
        return (!(n & LoggedOn) || s.loggedOn) && (!(n & ChatModule) || s.chatPresent) &&
               (!(n & MembersTab) || s.tab == AvalinCommandState::MembersTab) &&
               (!(n & MessageTabs) || s.tab != AvalinCommandState::MembersTab) &&
               (!(n & Selection) || s.selected > 0) && (!(n & PropertyRow) || s.propertyRow) &&
               (!(n & ChatSelection) || s.chatSelection) &&
               (!(n & OneOtherMember) || s.oneOtherMember) &&
               (!(n & GroupOnline) || s.groupHasOnline);
    }
    return false;
}

QList<int> All() {
    QList<int> commands;
    for (const CommandRule& rule : kRules)
        commands.append(rule.command);
    return commands;
}

} // namespace AvalinCommands
