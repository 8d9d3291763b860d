// The pop-up menus of the message windows' text fields, in the plug-in's own words (the
// toolkit's menus would speak English and offer commands that a field must not take).
#pragma once

class QLineEdit;
class QMenu;
class QPoint;
class QTextEdit;

namespace CEditMenus {

// A line edit's menu: Undo, Cut, Copy, Paste and Select All while it takes typing; Copy and
// Select All for a read-only field and for the address fields, whose entries never come from
// typed or pasted text.
void Install(QLineEdit* edit, void* resources, bool typing);

// A body's menu at a point of its viewport: the editing commands, or for a read message Copy
// and Select All, with Open Link and Copy Link Address over a link. The caller shows it.
QMenu* BodyMenu(QTextEdit* body, void* resources, const QPoint& at, bool reading);

// Gives a text view that is not a message body (the chat log and input line) the body menu in
// place of the toolkit's.
void Install(QTextEdit* view, void* resources, bool reading);

} // namespace CEditMenus
