// The program's icon for the desktop's icon theme: the program mark at every fixed size the
// desktop asks for and as a scalable drawing, laid out as the hicolor theme expects
// (<dir>/hicolor/<n>x<n>/apps/<name>.png, <dir>/hicolor/scalable/apps/<name>.svg).
#pragma once

#include <QList>
#include <QString>

class CAppIconTheme {
public:
    static QList<int> sizes();
    // Writes every size; false with the reason when a file cannot be written.
    static bool write(const QString& dir, const QString& name, QString* error);
};
