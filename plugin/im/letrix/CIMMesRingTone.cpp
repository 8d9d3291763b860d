#include "plugin/im/letrix/CIMMesRingTone.h"

#include "obrix/CIMSndData.h"
#include "obrix/CIMSndInfo.h"
#include "obrix/CResourceLoader.h"

#include <QFile>
#include <QFileInfo>

namespace CIMMesRingTone {

QString PathFor(const CIMSndInfo& memberTones, const QString& senderId,
                const CIMMesSettings& settings, const QString& appDir) {
    if (const CIMSndData* own = memberTones.GetIMSndData(senderId))
        return own->GetPath();
    switch (settings.ringToneSetType) {
    case CIMMesSettings::BuiltIn:
        return CResourceLoader::SoundPath(appDir, CResourceLoader::MessageArrival);
    case CIMMesSettings::File:
        return settings.ringToneFilePath;
    default:
        return QString();
    }
}

bool IsPlayable(const QString& path) {
    QFile file(path);
    return !path.isEmpty() && QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

} // namespace CIMMesRingTone
