// When each command of the IM window may run: menus grey their items, the toolbar and the
// buttons disable theirs, and a command that arrives anyway (an accelerator) is ignored
// unless its condition holds.
#pragma once

#include <QList>

struct AvalinCommandState {
    enum Tab { MembersTab = 0, NewTab = 1, SentTab = 2 };

    bool loggedOn = false;
    bool chatPresent = false;
    int tab = MembersTab;
    // The current tab's selection.
    int selected = 0;
    bool propertyRow = false;    // one row selected, not the on-line members group
    bool chatSelection = false;  // only other members that are on line
    bool oneOtherMember = false; // exactly one row, another member
    bool groupHasOnline = false; // the one selected group has a member on line
};

namespace AvalinCommands {

bool IsEnabled(int command, const AvalinCommandState& state);
// The commands that a condition governs, in the order of the command list.
QList<int> All();

} // namespace AvalinCommands
