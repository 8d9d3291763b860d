#include "plugin/im/letrix/CFontLists.h"

#include "plugin/im/letrix/CIMMesSettings.h"

#include <QComboBox>
#include <QFontDatabase>

namespace CFontLists {

void FillFaces(QComboBox* list) {
    list->addItems(QFontDatabase::families());
}

void FillSizes(QComboBox* list) {
    for (int size : CIMMesSettings::kFontSizes)
        list->addItem(QString::number(size));
}

void SelectFace(QComboBox* list, const QString& face) {
    int index = list->findText(face, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0 && !face.isEmpty()) {
        list->insertItem(0, face);
        index = 0;
    }
    list->setCurrentIndex(index);
}

} // namespace CFontLists
