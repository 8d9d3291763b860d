// The host's pictures, drawn at run time so the program needs no image files: bitmap 130
// (start-up window), bitmap 131 (version dialog) and icon 128 (program icon).
#pragma once

#include <QIcon>
#include <QPixmap>

class CHostArtwork {
public:
    static QPixmap Bitmap130();
    static QPixmap Bitmap131();
    static QIcon Icon128();
};
