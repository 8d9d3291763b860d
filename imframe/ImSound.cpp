#include "imframe/ImSound.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace ImSound {

bool Play(const QString& path, QObject* owner) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    auto* effect = new QSoundEffect(owner);
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Error)
            effect->deleteLater();
    });
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying() && effect->status() == QSoundEffect::Ready)
            effect->deleteLater();
    });
    effect->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    effect->play();
    return true;
}

} // namespace ImSound
