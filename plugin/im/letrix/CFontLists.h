// The face and size lists of the font bar and of the option dialog.
#pragma once

#include <QString>

class QComboBox;

namespace CFontLists {

// Every font family of the screen.
void FillFaces(QComboBox* list);
// "8", "10", "12", "14", "18", "24", "36".
void FillSizes(QComboBox* list);
// Selects a face; one the screen does not have is put at the top, so the stored name shows.
void SelectFace(QComboBox* list, const QString& face);

} // namespace CFontLists
