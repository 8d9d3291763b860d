// The status icon strip "status.bmp": 16 x 16 tiles, cut column by column, each named
// "column-row" (both from 1). An empty or unknown key gives the first image.
#pragma once

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>

class CStatusIcons {
public:
    // Loads the strip from the first file that opens; false (strip empty) when none does.
    // Above 100 % scale the drawing at twice the size ("status@2x.bmp") is taken when it
    // lies beside the file.
    bool Load(const QStringList& paths, qreal devicePixelRatio = 1);
    // A strip drawn at scale 1 or 2 (tiles of 16 or 32 pixels).
    void SetStrip(const QImage& strip, int scale = 1);
    void Clear();

    bool IsEmpty() const { return m_images.isEmpty(); }
    const QStringList& Keys() const { return m_keys; }
    int IndexOf(const QString& key) const;
    QPixmap Icon(const QString& key) const;

private:
    QStringList m_keys;
    QList<QPixmap> m_images;
};
