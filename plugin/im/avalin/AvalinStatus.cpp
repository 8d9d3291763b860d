#include "plugin/im/avalin/AvalinStatus.h"

#include <QUrl>

namespace AvalinStatus {

QString Shown(const QString& status) {
    if (status.isEmpty() || status.compare(kOn, Qt::CaseInsensitive) == 0)
        return kOnNet;
    if (status == kOff)
        return kOffNet;
    return status;
}

QString ToSend(const QString& typed) {
    if (typed.isEmpty() || typed.compare(kOnNet, Qt::CaseInsensitive) == 0)
        return kOn;
    return typed;
}

bool IsUrl(const QString& status) {
    static const QString schemes[] = {QStringLiteral("http://"), QStringLiteral("https://"),
                                      QStringLiteral("ftp://"), QStringLiteral("mailto:")};
    const QString trimmed = status.trimmed();
    for (const QString& scheme : schemes) {
        if (trimmed.startsWith(scheme, Qt::CaseInsensitive) && trimmed.size() > scheme.size())
            return QUrl(trimmed, QUrl::StrictMode).isValid() && !trimmed.contains(u' ');
    }
    return false;
}

QString MenuEscaped(const QString& text) {
    QString escaped = text;
    return escaped.replace(u'&', QStringLiteral("&&"));
}

} // namespace AvalinStatus
