#include "kernova/CCoreApiServices.h"

#include "host/CoreApi.h"

#include <vector>

namespace {

const char16_t* Utf16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}
intptr_t Ptr(const void* p) {
    return reinterpret_cast<intptr_t>(p);
}

// Stored values larger than this are not read into memory.
constexpr int32_t kMaxValueBytes = 16 * 1024 * 1024;

// Reads a text whose length the first call reports (snprintf style).
template <typename Read> QString ReadText(Read read) {
    std::vector<char16_t> buffer(256);
    int32_t length = read(buffer.data(), int32_t(buffer.size()));
    if (length >= int32_t(buffer.size()) && length < kMaxValueBytes) {
        buffer.assign(size_t(length) + 1, 0);
        length = read(buffer.data(), int32_t(buffer.size()));
    }
    if (length <= 0)
        return {};
    return QString::fromUtf16(buffer.data(), qMin<qsizetype>(length, qsizetype(buffer.size()) - 1));
}

} // namespace

QString CCoreApiServices::AppDir() {
    return QString::fromUtf16(COREAPI_GetAppDir());
}
QString CCoreApiServices::UserDir() {
    return QString::fromUtf16(COREAPI_GetUserDir());
}
uint32_t CCoreApiServices::OSVersion() {
    return COREAPI_GetOSVersion();
}
HWND CCoreApiServices::MainWnd() {
    return COREAPI_GetMainWnd();
}
int32_t CCoreApiServices::SetMainWnd(HWND wnd) {
    return COREAPI_SetMainWnd(wnd);
}
void* CCoreApiServices::ResHandle() {
    return COREAPI_GetResHandle();
}
void CCoreApiServices::Kill() {
    COREAPI_Kill();
}
void CCoreApiServices::ShowVersion() {
    COREAPI_DispVersion();
}

void CCoreApiServices::SaveLog(int32_t category, int32_t level, const QString& text) {
    COREAPI_SaveLog(category, level, Utf16(text));
}

int32_t CCoreApiServices::ReadRegInt(int32_t scope, int32_t unit, const QString& subKey,
                                     const QString& name, int32_t defaultValue) {
    return COREAPI_ReadRegInt(scope, kCategory, unit, Utf16(subKey), Utf16(name), defaultValue);
}

QString CCoreApiServices::ReadRegString(int32_t scope, int32_t unit, const QString& subKey,
                                        const QString& name, const QString& defaultText,
                                        bool* found) {
    // A default no stored text can equal tells a stored value from an absent one.
    static const QString absent = QStringLiteral("\x01\x02absent\x02\x01");
    const QString text = ReadText([&](char16_t* buffer, int32_t chars) {
        return COREAPI_ReadRegString(scope, kCategory, unit, Utf16(subKey), Utf16(name),
                                     Ptr(Utf16(absent)), Ptr(buffer), chars);
    });
    const bool stored = text != absent;
    if (found)
        *found = stored;
    return stored ? text : defaultText;
}

QByteArray CCoreApiServices::ReadRegBinary(int32_t scope, int32_t unit, const QString& subKey,
                                           const QString& name) {
    const int32_t size =
        COREAPI_ReadRegBinary(scope, kCategory, unit, Utf16(subKey), Ptr(Utf16(name)), 0, 0);
    if (size <= 0 || size > kMaxValueBytes)
        return {};
    QByteArray bytes(size, '\0');
    const int32_t read = COREAPI_ReadRegBinary(scope, kCategory, unit, Utf16(subKey),
                                               Ptr(Utf16(name)), Ptr(bytes.data()), size);
    bytes.truncate(qBound(0, read, size));
    return bytes;
}

bool CCoreApiServices::WriteRegInt(int32_t scope, int32_t unit, const QString& subKey,
                                   const QString& name, int32_t value) {
    return COREAPI_WriteRegInt(scope, kCategory, unit, Utf16(subKey), Ptr(Utf16(name)), value, 0) !=
           0;
}

bool CCoreApiServices::WriteRegString(int32_t scope, int32_t unit, const QString& subKey,
                                      const QString& name, const QString& text) {
    return COREAPI_WriteRegString(scope, kCategory, unit, Utf16(subKey), Ptr(Utf16(name)),
                                  Ptr(Utf16(text)), 0) != 0;
}

bool CCoreApiServices::WriteRegBinary(int32_t scope, int32_t unit, const QString& subKey,
                                      const QString& name, const QByteArray& data) {
    return COREAPI_WriteRegBinary(scope, kCategory, unit, Utf16(subKey), Ptr(Utf16(name)),
                                  Ptr(data.constData()), int32_t(data.size()), 0) != 0;
}

bool CCoreApiServices::RemoveRegValue(int32_t scope, int32_t unit, const QString& subKey,
                                      const QString& name) {
    return COREAPI_WriteRegInt(scope, kCategory, unit, Utf16(subKey), Ptr(Utf16(name)), 0, 1) != 0;
}

int32_t CCoreApiServices::GetAppDataInt(const QString& section, const QString& key, int32_t scope,
                                        int32_t defaultValue) {
    return COREAPI_GetAppDataInt(Utf16(section), Utf16(key), scope, defaultValue);
}

int32_t CCoreApiServices::GetAppDataBool(const QString& section, const QString& key, int32_t scope,
                                         int32_t defaultValue) {
    return COREAPI_GetAppDataBool(Ptr(Utf16(section)), Ptr(Utf16(key)), scope, defaultValue);
}

QString CCoreApiServices::GetAppDataString(const QString& section, const QString& key,
                                           int32_t scope, const QString& defaultText) {
    return ReadText([&](char16_t* buffer, int32_t chars) {
        return COREAPI_GetAppDataString(Ptr(Utf16(section)), Ptr(Utf16(key)), scope,
                                        Ptr(Utf16(defaultText)), Ptr(buffer), chars);
    });
}
