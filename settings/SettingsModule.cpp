// The settings provider core module (type 2): the CORECBK_ callbacks. Argument meanings are
// those documented in host/CoreApi.h; where the values live is described in CSettingsStore.h.
// Everything runs on the user-interface thread; no exception leaves a callback.
#include "host/CoreApi.h"
#include "settings/CSettingsStore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstring>
#include <limits>

namespace {

CSettingsStore& store() {
    static CSettingsStore instance;
    // The host's directories are fixed during a run; re-reading them keeps the module correct
    // for a host (or a test) that changes them between runs.
    instance.SetDirs(QString::fromUtf16(COREAPI_GetAppDir()),
                     QString::fromUtf16(COREAPI_GetUserDir()));
    return instance;
}

QString text(intptr_t pointer) {
    const auto* p = reinterpret_cast<const char16_t*>(pointer);
    return p ? QString::fromUtf16(p) : QString();
}

// Copies as much as fits (always terminated) and returns the full length, like snprintf.
int32_t copyOut(const QString& value, intptr_t buffer, int32_t bufferChars) {
    auto* out = reinterpret_cast<char16_t*>(buffer);
    if (out && bufferChars > 0) {
        const qsizetype n = qMin<qsizetype>(value.size(), bufferChars - 1);
        std::memcpy(out, value.utf16(), size_t(n) * sizeof(char16_t));
        out[n] = 0;
    }
    return int32_t(qMin<qsizetype>(value.size(), std::numeric_limits<int32_t>::max()));
}

std::optional<int32_t> toInt(const QString& value) {
    const QString t = value.trimmed();
    bool ok = false;
    qlonglong n = t.startsWith(u"0x", Qt::CaseInsensitive) ? t.mid(2).toLongLong(&ok, 16)
                                                           : t.toLongLong(&ok, 10);
    if (!ok || n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    return int32_t(uint32_t(n & 0xFFFFFFFF)); // 0xFFFFFFFF reads as -1
}

std::optional<bool> toBool(const QString& value) {
    const QString t = value.trimmed().toLower();
    if (t == u"true" || t == u"yes" || t == u"on")
        return true;
    if (t == u"false" || t == u"no" || t == u"off")
        return false;
    if (const std::optional<int32_t> n = toInt(t))
        return *n != 0;
    return std::nullopt;
}

template <typename R, typename F> R guarded(R fallback, F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

// Writes the value `make` gives, or with flags bit 0 removes it; 1 on success, else 0.
template <typename Make>
int32_t writeValue(int32_t scope, int32_t unit, const char16_t* path, intptr_t valueName,
                   int32_t flags, Make&& make) {
    return guarded<int32_t>(0, [&] {
        if (!path || !valueName)
            return 0;
        std::optional<QString> value;
        if (!(flags & 1))
            value = make();
        return store().Write(scope, unit, path, text(valueName), value) ? 1 : 0;
    });
}

} // namespace

extern "C" {

ZELTA_EXPORT void CORECBK_OnCoreZpmInfo(tagMODULEINFO* info) {
    if (!info)
        return;
    info->nType = ZeltaCoreType::Stream;
    zeltaCopyField(info->szFileName, u"Settings.so");
    zeltaCopyField(info->szCompany, u"Tovar");
    zeltaCopyField(info->szName, u"Settings provider");
    zeltaCopyField(info->szLocalName, u"設定プロバイダ");
    info->dwVersion = 0x00010000;
    info->nOrder = 0;
    info->bShowLoading = 1;
}

ZELTA_EXPORT int32_t CORECBK_OnEnumModules(int32_t, char16_t*, char16_t*, char16_t*, char16_t*,
                                           int32_t) {
    return 0;
}

ZELTA_EXPORT int32_t CORECBK_OnPreTranslateMessage(MSG*) {
    return 0;
}
ZELTA_EXPORT void CORECBK_OnInit() {}
ZELTA_EXPORT void CORECBK_OnStart() {}
ZELTA_EXPORT void CORECBK_OnBegin(intptr_t) {}
ZELTA_EXPORT void CORECBK_OnKill() {}
ZELTA_EXPORT void CORECBK_OnRecvMsg(intptr_t) {}
ZELTA_EXPORT void CORECBK_OnRecvMessage(intptr_t, intptr_t) {}

ZELTA_EXPORT int32_t CORECBK_OnGetRegPath(int32_t scope, const char16_t* path, intptr_t buffer,
                                          int32_t bufferChars) {
    return guarded<int32_t>(0, [&] {
        const std::optional<QString> dir =
            store().Directory(scope, path ? QStringView(path) : QStringView());
        return dir ? copyOut(*dir, buffer, bufferChars) : 0;
    });
}

ZELTA_EXPORT int32_t CORECBK_OnReadRegBinary(int32_t scope, int32_t unit, const char16_t* path,
                                             intptr_t valueName, intptr_t buffer,
                                             int32_t bufferBytes) {
    return guarded<int32_t>(0, [&] {
        if (!path || !valueName)
            return 0;
        const std::optional<QString> value = store().Read(scope, unit, path, text(valueName));
        if (!value)
            return 0;
        const QByteArray hex = value->trimmed().toLatin1();
        const auto decoded = QByteArray::fromHex(hex);
        // fromHex skips what is not a digit; a value that is not clean hex is not binary.
        if (decoded.toHex() != hex.toLower())
            return 0;
        if (buffer && bufferBytes > 0)
            std::memcpy(reinterpret_cast<void*>(buffer), decoded.constData(),
                        size_t(qMin<qsizetype>(decoded.size(), bufferBytes)));
        return int32_t(decoded.size());
    });
}

ZELTA_EXPORT int32_t CORECBK_OnReadRegInt(int32_t scope, int32_t unit, const char16_t* path,
                                          const char16_t* valueName, int32_t defaultValue) {
    return guarded<int32_t>(defaultValue, [&] {
        if (!path || !valueName)
            return defaultValue;
        const std::optional<QString> value =
            store().Read(scope, unit, path, QString::fromUtf16(valueName));
        const std::optional<int32_t> n = value ? toInt(*value) : std::nullopt;
        return n.value_or(defaultValue);
    });
}

ZELTA_EXPORT int32_t CORECBK_OnReadRegString(int32_t scope, int32_t unit, const char16_t* path,
                                             const char16_t* valueName, intptr_t defaultText,
                                             intptr_t buffer, int32_t bufferChars) {
    return guarded<int32_t>(0, [&] {
        std::optional<QString> value;
        if (path && valueName)
            value = store().Read(scope, unit, path, QString::fromUtf16(valueName));
        return copyOut(value.value_or(text(defaultText)), buffer, bufferChars);
    });
}

ZELTA_EXPORT int32_t CORECBK_OnWriteRegBinary(int32_t scope, int32_t unit, const char16_t* path,
                                              intptr_t valueName, intptr_t data, int32_t bytes,
                                              int32_t flags) {
    if (bytes < 0 || (!data && bytes > 0))
        return 0;
    return writeValue(scope, unit, path, valueName, flags, [&] {
        return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(data), bytes).toHex());
    });
}

ZELTA_EXPORT int32_t CORECBK_OnWriteRegInt(int32_t scope, int32_t unit, const char16_t* path,
                                           intptr_t valueName, int32_t value, int32_t flags) {
    return writeValue(scope, unit, path, valueName, flags, [&] { return QString::number(value); });
}

ZELTA_EXPORT int32_t CORECBK_OnWriteRegString(int32_t scope, int32_t unit, const char16_t* path,
                                              intptr_t valueName, intptr_t value, int32_t flags) {
    return writeValue(scope, unit, path, valueName, flags, [&] { return text(value); });
}

ZELTA_EXPORT int32_t CORECBK_OnReadFile(intptr_t path, intptr_t buffer, int32_t bufferBytes,
                                        int32_t offset) {
    return guarded<int32_t>(-1, [&] {
        const QString file = store().ResolveFile(text(path));
        QFile in(file);
        if (file.isEmpty() || offset < 0 || !in.open(QIODevice::ReadOnly))
            return -1;
        const qint64 size = in.size();
        if (size > std::numeric_limits<int32_t>::max())
            return -1;
        if (buffer && bufferBytes > 0 && offset < size) {
            if (!in.seek(offset))
                return -1;
            const qint64 want = qMin<qint64>(bufferBytes, size - offset);
            if (in.read(reinterpret_cast<char*>(buffer), want) != want)
                return -1;
        }
        return int32_t(size);
    });
}

ZELTA_EXPORT int32_t CORECBK_OnWriteFile(intptr_t path, intptr_t data, int32_t bytes, int32_t flags,
                                         int32_t) {
    return guarded<int32_t>(0, [&] {
        const QString file = store().ResolveFile(text(path));
        if (file.isEmpty() || bytes < 0 || (!data && bytes > 0))
            return 0;
        if ((flags & 1) && !QDir().mkpath(QFileInfo(file).absolutePath()))
            return 0;
        QSaveFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return 0;
        if (out.write(reinterpret_cast<const char*>(data), bytes) != bytes)
            return 0;
        return out.commit() ? 1 : 0;
    });
}

ZELTA_EXPORT int32_t CORECBK_OnGetAppDataInt(const char16_t* section, const char16_t* key,
                                             int32_t scope, int32_t defaultValue) {
    return guarded<int32_t>(defaultValue, [&] {
        if (!section || !key)
            return defaultValue;
        const std::optional<QString> value =
            store().AppData(QString::fromUtf16(section), QString::fromUtf16(key), scope);
        const std::optional<int32_t> n = value ? toInt(*value) : std::nullopt;
        return n.value_or(defaultValue);
    });
}

ZELTA_EXPORT int32_t CORECBK_OnGetAppDataBool(intptr_t section, intptr_t key, int32_t scope,
                                              int32_t defaultValue) {
    return guarded<int32_t>(defaultValue ? 1 : 0, [&] {
        const bool fallback = defaultValue != 0;
        if (!section || !key)
            return fallback ? 1 : 0;
        const std::optional<QString> value = store().AppData(text(section), text(key), scope);
        const std::optional<bool> b = value ? toBool(*value) : std::nullopt;
        return b.value_or(fallback) ? 1 : 0;
    });
}

ZELTA_EXPORT int32_t CORECBK_OnGetAppDataString(intptr_t section, intptr_t key, int32_t scope,
                                                intptr_t defaultText, intptr_t buffer,
                                                int32_t bufferChars) {
    return guarded<int32_t>(0, [&] {
        std::optional<QString> value;
        if (section && key)
            value = store().AppData(text(section), text(key), scope);
        return copyOut(value.value_or(text(defaultText)), buffer, bufferChars);
    });
}

} // extern "C"
