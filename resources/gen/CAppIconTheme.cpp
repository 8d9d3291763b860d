#include "resources/gen/CAppIconTheme.h"

#include "resources/gen/CArtwork.h"

#include <QBuffer>
#include <QDir>
#include <QSaveFile>
#include <QSvgGenerator>

namespace {

// The scalable drawing's own grid; the mark's outlines scale with it.
constexpr int kScalableSide = 256;

bool save(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("cannot write ") + path;
        return false;
    }
    return true;
}

QByteArray png(int side) {
    const QImage image = CArtwork::render(
        side, side, 1, [side](QPainter& p) { CArtwork::appMark(p, QRectF(0, 0, side, side)); });
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray svg() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(kScalableSide, kScalableSide));
    generator.setViewBox(QRect(0, 0, kScalableSide, kScalableSide));
    generator.setTitle(QStringLiteral("Zelta"));
    QPainter p(&generator);
    p.setRenderHint(QPainter::Antialiasing);
    CArtwork::appMark(p, QRectF(0, 0, kScalableSide, kScalableSide));
    p.end();
    return bytes;
}

} // namespace

QList<int> CAppIconTheme::sizes() {
    return {16, 22, 24, 32, 48, 64, 128, 256};
}

bool CAppIconTheme::write(const QString& dir, const QString& name, QString* error) {
    const QString theme = dir + QStringLiteral("/hicolor/");
    for (int side : sizes()) {
        const QString path = theme + QStringLiteral("%1x%1/apps/%2.png").arg(side).arg(name);
        if (!save(path, png(side), error))
            return false;
    }
    return save(theme + QStringLiteral("scalable/apps/") + name + QStringLiteral(".svg"), svg(),
                error);
}
