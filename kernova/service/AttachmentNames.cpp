#include "kernova/service/AttachmentNames.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace Svc {

namespace {

bool IsUnsafeChar(char32_t c) {
    static const QString forbidden = QStringLiteral("<>:\"|?*");
    if (QChar::isNonCharacter(c))
        return true;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format: // invisible direction marks or tags would disguise the extension
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_NotAssigned:
        return true;
    default:
        return c < 0x80 && forbidden.contains(QChar(char16_t(c)));
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
    const QStringView last =
        QStringView(name).mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
    // Checked per code point, so that characters outside the basic plane are judged as what
    // they are; an unpaired surrogate is its own (unsafe) code point.
    QString s;
    s.reserve(last.size());
    for (qsizetype i = 0; i < last.size(); ++i) {
        const bool pair =
            last[i].isHighSurrogate() && i + 1 < last.size() && last[i + 1].isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(last[i], last[i + 1]) : last[i].unicode();
        if (IsUnsafeChar(c))
            s += u'_';
        else
            s += pair ? last.mid(i, 2) : last.mid(i, 1);
        if (pair)
            ++i;
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
    static const QString bodyOpen = QStringLiteral("<BODY");
    static const QString bodyClose = QStringLiteral("</BODY>");
    // One pass from left to right: whichever comes first, a BODY element (the user's text,
    // skipped whole) or an element naming a file (taken whole, whatever its text holds). What
    // an element's text says can therefore never change how the rest is read.
    QList<ObjectElement> found;
    qsizetype from = 0;
    qsizetype nextBody = body.indexOf(bodyOpen, 0, Qt::CaseInsensitive);
    for (;;) {
        const qsizetype start = body.indexOf(open, from, Qt::CaseInsensitive);
        if (start < 0)
            break;
        if (nextBody >= 0 && nextBody < from)
            nextBody = body.indexOf(bodyOpen, from, Qt::CaseInsensitive);
        if (nextBody >= 0 && nextBody < start) {
            const qsizetype end =
                body.indexOf(bodyClose, nextBody + bodyOpen.size(), Qt::CaseInsensitive);
            if (end < 0)
                break;
            from = end + bodyClose.size();
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

bool NamesOnlySafeFiles(const QString& body) {
    const QList<ObjectElement> elements = FindObjectElements(body);
    return std::all_of(elements.begin(), elements.end(), [](const ObjectElement& e) {
        return !e.text.isEmpty() && SafeAttachmentName(e.text) == e.text;
    });
}

QString RewriteReceivedBody(const QString& body, const QStringList& safeNames) {
    QStringList texts = safeNames;
    const QList<ObjectElement> elements = FindObjectElements(body);
    for (qsizetype i = texts.size(); i < elements.size(); ++i)
        texts.append(SafeAttachmentName(elements[i].text));
    QString out = ReplaceObjectElements(body, texts);
    if (NamesOnlySafeFiles(out))
        return out;
    // Not reached by any body known to the scan; should the scan ever read the rewritten body
    // differently, no element is left to name a file at all.
    out.replace(QStringLiteral("<OBJECT>"), QStringLiteral("&lt;OBJECT&gt;"), Qt::CaseInsensitive);
    return out;
}

} // namespace Svc
