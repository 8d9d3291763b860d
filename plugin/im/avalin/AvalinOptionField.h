// What the option pages share: a number field whose range is checked on OK (so that a typed
// value out of range is refused with a message rather than quietly changed), and the check
// itself with the warning and the focus on the bad field.
#pragma once

#include <QString>

class QSpinBox;
class QWidget;

namespace AvalinOptionField {

// A spin field for minimum .. maximum that also takes the values around it, so that OK can
// refuse them.
QSpinBox* NewNumberField(int minimum, int maximum, int value, QWidget* parent);
// When the value is outside minimum .. maximum: the warning box (caption: the page's title,
// text 274), the field focused with its text selected; false then.
bool CheckRange(QSpinBox* field, int minimum, int maximum, QWidget* page, void* resources);
// The same warning for any field with a text.
void Refuse(QWidget* field, QWidget* page, void* resources);

} // namespace AvalinOptionField
