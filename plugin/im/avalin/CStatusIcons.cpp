#include "plugin/im/avalin/CStatusIcons.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/avalin/AvalinIds.h"

#include <QFileInfo>

namespace {
constexpr int kTile = 16;
}

bool CStatusIcons::Load(const QStringList& paths, qreal devicePixelRatio) {
    auto open = [](const QString& path, int scale, QImage& strip) {
        return !path.isEmpty() && QFileInfo(path).isFile() && strip.load(path) &&
               strip.width() >= kTile * scale && strip.height() >= kTile * scale;
    };
    for (const QString& path : paths) {
        QImage strip;
        if (devicePixelRatio > 1 && path.endsWith(QStringLiteral(".bmp")) &&
            open(path.chopped(4) + QStringLiteral("@2x.bmp"), 2, strip)) {
            SetStrip(strip, 2);
            return true;
        }
        if (open(path, 1, strip)) {
            SetStrip(strip);
            return true;
        }
    }
    Clear();
    return false;
}

void CStatusIcons::SetStrip(const QImage& strip, int scale) {
    Clear();
    const int tile = kTile * scale;
    const QImage masked = CResourceLoader::MaskToAlpha(strip, AvalinColour::Mask);
    const int rows = masked.height() / tile;
    const QList<QImage> tiles = CResourceLoader::CutTiles(masked, QSize(tile, tile), true);
    for (int i = 0; i < tiles.size(); ++i) {
        m_keys.append(QStringLiteral("%1-%2").arg(i / rows + 1).arg(i % rows + 1));
        QPixmap image = QPixmap::fromImage(tiles[i]);
        image.setDevicePixelRatio(scale);
        m_images.append(image);
    }
}

void CStatusIcons::Clear() {
    m_keys.clear();
    m_images.clear();
}

int CStatusIcons::IndexOf(const QString& key) const {
    const int at = int(m_keys.indexOf(key));
    return at < 0 ? 0 : at;
}

QPixmap CStatusIcons::Icon(const QString& key) const {
    return m_images.isEmpty() ? QPixmap() : m_images[IndexOf(key)];
}
