#include "host/CLangModule.h"

bool CLangModule::Load(const QString& path) {
    Free();
    if (!m_library.Load(path))
        return false;
    m_pfnGetString =
        reinterpret_cast<ZeltaLang_GetString_t>(m_library.Resolve(ZeltaLangGetStringName));
    return true;
}

void CLangModule::Free() {
    m_pfnGetString = nullptr;
    m_library.Free();
}

QString CLangModule::String(int32_t id) const {
    const char16_t* text = m_pfnGetString ? m_pfnGetString(id) : nullptr;
    return text ? QString::fromUtf16(text) : QString();
}

QString CLangModule::Format(const QString& format, const QString& argument) {
    QString result;
    result.reserve(format.size() + argument.size());
    bool argumentUsed = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'%' && i + 1 < format.size()) {
            const QChar next = format.at(i + 1);
            if (next == u'%') {
                result += u'%';
                ++i;
                continue;
            }
            if (next == u's') {
                if (!argumentUsed)
                    result += argument;
                argumentUsed = true;
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}
