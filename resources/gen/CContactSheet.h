// Review sheet of the artwork: every image with its number and role, tile by tile, on a
// light and on a dark panel, at one scale. Built with the images so that a reviewer can
// check wording against use and look for anything illegible.
#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class CContactSheet {
public:
    struct Item {
        QString title;
        QString role;
        QList<QImage> tiles; // at the sheet's scale
        QStringList labels;  // one per tile
    };

    static QImage render(const QString& heading, const QList<Item>& items, int scale);
};
