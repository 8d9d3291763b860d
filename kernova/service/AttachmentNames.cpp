#include "kernova/service/AttachmentNames.h"

#include <QRegularExpression>
#include <QSet>

namespace Svc {

namespace {

bool IsUnsafeChar(QChar c) {
    static const QString forbidden = QStringLiteral("<>:\"|?*");
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format: // invisible direction marks would disguise the extension
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_NotAssigned:
        return true;
    default:
        return forbidden.contains(c);
    }
}

bool IsReservedDeviceName(const QString& name) {
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[0-9]|LPT[0-9])$"),
                                           QRegularExpression::CaseInsensitiveOption);
    // Windows ignores the extension and trailing blanks: "nul.txt" and "NUL " are the device.
    return device.match(name.section(u'.', 0, 0).trimmed()).hasMatch();
}

qsizetype Utf8Size(const QString& s) {
    return s.toUtf8().size();
}

// Cuts s to at most maxBytes UTF-8 bytes without splitting a surrogate pair.
QString CutUtf8(const QString& s, qsizetype maxBytes) {
    QString out;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const bool pair = s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate();
        const qsizetype n = pair ? 4 : Utf8Size(QString(s[i]));
        if (bytes + n > maxBytes)
            break;
        out += s[i];
        if (pair)
            out += s[++i];
        bytes += n;
    }
    return out;
}

QString OnePass(const QString& name, int maxBytes) {
    QString s = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            ++i; // a whole character outside the basic plane
            continue;
        }
        if (c.isSurrogate() || IsUnsafeChar(c))
            s[i] = u'_';
    }
    s = s.trimmed();
    while (s.endsWith(u'.') || s.endsWith(u' '))
        s.chop(1);
    if (s.startsWith(u'.'))
        s[0] = u'_';
    if (IsReservedDeviceName(s))
        s.prepend(u'_');
    if (Utf8Size(s) > maxBytes) {
        const qsizetype dot = s.lastIndexOf(u'.');
        QString extension = dot > 0 && s.size() - dot <= 16 ? s.mid(dot) : QString();
        if (Utf8Size(extension) * 2 > maxBytes)
            extension.clear();
        s = CutUtf8(s.left(s.size() - extension.size()), maxBytes - Utf8Size(extension)) +
            extension;
    }
    if (s.isEmpty())
        s = QStringLiteral("添付ファイル");
    return s;
}

} // namespace

QString SafeAttachmentName(const QString& name, int maxBytes) {
    maxBytes = std::max(maxBytes, 24);
    // Each pass only removes or replaces; a few passes settle what cutting may expose (a
    // trailing dot, a leading dot of the extension).
    QString s = OnePass(name, maxBytes);
    for (int i = 0; i < 4; ++i) {
        QString next = OnePass(s, maxBytes);
        if (next == s)
            break;
        s = std::move(next);
    }
    return s;
}

QStringList SafeAttachmentNames(const QStringList& names, int maxBytes) {
    QStringList out;
    QSet<QString> taken;
    for (const QString& name : names) {
        const QString safe = SafeAttachmentName(name, maxBytes);
        QString candidate = safe;
        for (int n = 2; taken.contains(candidate.toCaseFolded()); ++n) {
            const qsizetype dot = safe.lastIndexOf(u'.');
            const QString stem = dot > 0 ? safe.left(dot) : safe;
            const QString extension = dot > 0 ? safe.mid(dot) : QString();
            const QString suffix = QStringLiteral(" (%1)").arg(n);
            candidate = SafeAttachmentName(CutUtf8(stem, maxBytes - Utf8Size(suffix + extension)) +
                                               suffix + extension,
                                           maxBytes);
        }
        taken.insert(candidate.toCaseFolded());
        out.append(candidate);
    }
    return out;
}

} // namespace Svc

namespace Svc {

QList<ObjectElement> FindObjectElements(const QString& body) {
    static const QString open = QStringLiteral("<OBJECT>");
    static const QString close = QStringLiteral("</OBJECT>");
    // What lies inside the BODY element is the user's text, not a file.
    const qsizetype bodyStart = body.indexOf(QLatin1String("<BODY"), 0, Qt::CaseInsensitive);
    qsizetype bodyEnd = -1;
    if (bodyStart >= 0) {
        bodyEnd = body.indexOf(QLatin1String("</BODY>"), bodyStart, Qt::CaseInsensitive);
        bodyEnd = bodyEnd < 0 ? body.size() : bodyEnd + 7;
    }
    QList<ObjectElement> found;
    qsizetype from = 0;
    for (;;) {
        const qsizetype start = body.indexOf(open, from, Qt::CaseInsensitive);
        if (start < 0)
            break;
        if (bodyStart >= 0 && start >= bodyStart && start < bodyEnd) {
            from = bodyEnd;
            continue;
        }
        const qsizetype inner = start + open.size();
        const qsizetype end = body.indexOf(close, inner, Qt::CaseInsensitive);
        if (end < 0)
            break;
        found.append({inner, end - inner, body.mid(inner, end - inner)});
        from = end + close.size();
    }
    return found;
}

QString ReplaceObjectElements(const QString& body, const QStringList& texts) {
    const QList<ObjectElement> elements = FindObjectElements(body);
    QString out = body;
    // Back to front, so that earlier positions stay valid.
    for (qsizetype i = std::min(elements.size(), texts.size()) - 1; i >= 0; --i)
        out.replace(elements[i].start, elements[i].length, texts[i]);
    return out;
}

} // namespace Svc
