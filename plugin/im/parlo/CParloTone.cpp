#include "plugin/im/parlo/CParloTone.h"

#include "obrix/CIMSndData.h"
#include "obrix/CIMSndInfo.h"
#include "obrix/CResourceLoader.h"

namespace CParloTone {

QString PathFor(const CIMSndInfo& memberTones, const QString& memberId, Kind kind,
                const CParloSettings& settings, const QString& appDir) {
    if (const CIMSndData* own = memberTones.GetIMSndData(memberId))
        return own->GetPath();
    const int type = kind == Invitation ? settings.entrySetType : settings.messageSetType;
    switch (type) {
    case CParloSettings::BuiltInTone:
        return CResourceLoader::SoundPath(appDir, kind == Invitation ? CResourceLoader::ChatArrival
                                                                     : CResourceLoader::ChatSpeak);
    case CParloSettings::FileTone:
        return kind == Invitation ? settings.entryRingTone : settings.messageRingTone;
    default:
        return {};
    }
}

} // namespace CParloTone
