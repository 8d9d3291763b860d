#include "plugin/im/avalin/AvalinOptionField.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/avalin/AvalinIds.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

namespace AvalinOptionField {

QSpinBox* NewNumberField(int minimum, int maximum, int value, QWidget* parent) {
    auto* field = new QSpinBox(parent);
    // Room for one more digit than the range needs: a typed value stays as typed.
    int ceiling = 9;
    while (ceiling < maximum)
        ceiling = ceiling * 10 + 9;
    field->setRange(0, ceiling * 10 + 9);
    field->setValue(value);
    field->setAlignment(Qt::AlignRight);
    field->setAccessibleDescription(QStringLiteral("%1-%2").arg(minimum).arg(maximum));
    return field;
}

void Refuse(QWidget* field, QWidget* page, void* resources) {
    QMessageBox box(QMessageBox::Warning, page->windowTitle(),
                    CResourceLoader::LoadString(resources, AvalinRes::TextRangeError),
                    QMessageBox::NoButton, page);
    box.setDefaultButton(box.addButton(CResourceLoader::LoadString(resources, AvalinRes::TextOk),
                                       QMessageBox::AcceptRole));
    box.exec();
    field->setFocus();
    if (auto* spin = qobject_cast<QSpinBox*>(field))
        spin->selectAll();
    else if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
}

bool CheckRange(QSpinBox* field, int minimum, int maximum, QWidget* page, void* resources) {
    if (!field->isEnabled() || (field->value() >= minimum && field->value() <= maximum))
        return true;
    Refuse(field, page, resources);
    return false;
}

} // namespace AvalinOptionField
