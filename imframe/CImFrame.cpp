#include "imframe/CImFrame.h"

#include "host/CoreApi.h"

CImFrame::CImFrame() {
    m_obrix.Bind();
}

CImFrame& CImFrame::Instance() {
    static CImFrame frame;
    return frame;
}

void CImFrame::FillModuleInfo(tagMODULEINFO* info, const ImModuleDescriptor& descriptor) {
    if (!info)
        return;
    info->nType = descriptor.nType;
    zeltaCopyField(info->szFileName, descriptor.szFileName);
    zeltaCopyField(info->szCompany, ImModules::kCompany);
    zeltaCopyField(info->szName, descriptor.szName);
    zeltaCopyField(info->szLocalName, descriptor.szLocalName);
    info->dwVersion = ImModules::kVersion;
    info->nOrder = ImModules::kOrder;
    info->bShowLoading = ImModules::kShowLoading;
}

void CImFrame::Init() {
    // The plug-in links the object library; the extra reference keeps it loaded until
    // IMCBK_OnKill even if the core lets its own copy go first.
    if (!m_objectLibrary.Acquire(kObjectLibrary))
        SaveLog(
            ZeltaLogLevel::Warning,
            QStringLiteral("IM plug-in: %1 is not loaded").arg(QLatin1StringView(kObjectLibrary)));
    if (IsThemedOS())
        m_lustra.LoadLustra();
}

void CImFrame::Kill() {
    if (m_lustra.IsLoaded())
        m_lustra.UnloadLustra();
    m_objectLibrary.Release();
}

bool CImFrame::IsThemedOS() const {
    return m_obrix.GetOSVersion && (m_obrix.GetOSVersion() & kThemedOSBits) != 0;
}

void CImFrame::SaveLog(int32_t level, const QString& text) const {
    if (m_obrix.SaveLog)
        m_obrix.SaveLog(kLogCategory, level, reinterpret_cast<const char16_t*>(text.utf16()));
}

void CImFrame::LogException(const char* name, const char* what) const noexcept {
    try {
        SaveLog(ZeltaLogLevel::Error,
                QStringLiteral("%1: exception: %2")
                    .arg(QLatin1StringView(name),
                         what ? QString::fromUtf8(what) : QStringLiteral("unknown")));
    } catch (...) {
        // Out of memory while logging: the record is lost, the caller still returns.
    }
}
