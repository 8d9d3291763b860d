#include "host/CHostCore.h"

#include "host/CCoreModuleList.h"
#include "host/COSVersion.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace {

CHostCore* s_active = nullptr;

QString withSlash(const QString& dir) {
    if (dir.isEmpty() || dir.endsWith(u'/'))
        return dir;
    return dir + u'/';
}

} // namespace

CHostCore::CHostCore() {
    s_active = this;
}

CHostCore::~CHostCore() {
    if (s_active == this)
        s_active = nullptr;
}

CHostCore* CHostCore::Active() {
    return s_active;
}

void CHostCore::SetPaths(const QString& appDir, const QString& userDir) {
    m_strAppDir = withSlash(appDir);
    m_strPluginDir = m_strAppDir.isEmpty() ? QString() : m_strAppDir + QStringLiteral("plugin/");
    m_strUserDir = withSlash(userDir);
    m_appDirUtf16 = m_strAppDir.toStdU16String();
    m_userDirUtf16 = m_strUserDir.toStdU16String();
    m_log.SetUserDir(m_strUserDir);
}

void CHostCore::ComputePaths() {
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QString userDir;
    if (!dataHome.isEmpty()) {
        userDir = dataHome + QStringLiteral("/Tovar/");
        QDir().mkpath(userDir);
    }
    SetPaths(appDir, userDir);
}

void CHostCore::DetermineOSVersion() {
    const COSVersion::Record record = COSVersion::Query();
    m_nOSVersion = COSVersion::Word(record);
    m_bOSVersionKnown = record.extendedQueryOk || record.basicQueryOk;
}

uint32_t CHostCore::GetOSVersion() {
    if (!m_bOSVersionKnown)
        DetermineOSVersion();
    return m_nOSVersion;
}

int32_t CHostCore::SetMainWnd(HWND wnd) {
    const bool hadOne = m_hMainWnd != nullptr;
    m_hMainWnd = wnd;
    return hadOne ? 1 : 0;
}

CCoreModule* CHostCore::SettingsProvider() const {
    return m_pModules ? m_pModules->FindByType(2) : nullptr;
}

void CHostCore::SetDebugFlags(uint32_t flags) {
    m_nDebugFlags = flags;
    m_log.SetDebugFlags(flags);
}

std::optional<QString> CHostCore::CategoryPath(int32_t category, const char16_t* subKey) {
    static const char16_t* const prefixes[] = {u"", u"Update", u"Stream", u"Wirel", u"Set"};
    if (category < 0 || category > 4)
        return std::nullopt;
    QString path = QString::fromUtf16(prefixes[category]);
    if (subKey)
        path += u'\\' + QString::fromUtf16(subKey);
    return path;
}

uint32_t CHostCore::ParseDebugFlags(const QString& commandLine) {
    const QString lower = commandLine.toLower();
    uint32_t flags = 0;
    if (lower.contains(u"/d1"))
        flags |= 0x1;
    if (lower.contains(u"/d2"))
        flags |= 0x2;
    if (lower.contains(u"/d3"))
        flags |= 0x4;
    return flags;
}
