// The text of an RTF file as Debian's unrtf reads it (a reader nobody here wrote). Its plain
// text mode prints every character beyond ASCII as "?", so the HTML mode is read and its
// tags and character references are undone. Empty when unrtf is not installed.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>

inline bool HaveUnrtf() {
    return !QStandardPaths::findExecutable(QStringLiteral("unrtf")).isEmpty();
}

inline QString UnrtfText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("unrtf"), {QStringLiteral("--html"), path});
    if (!p.waitForFinished(20000))
        return {};
    QString html = QString::fromUtf8(p.readAllStandardOutput());
    html.replace(QRegularExpression(QStringLiteral("<!--.*?-->"),
                                    QRegularExpression::DotMatchesEverythingOption),
                 QString());
    html.replace(QRegularExpression(QStringLiteral("<br>")), QStringLiteral("\n"));
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    QString text;
    const QRegularExpression ref(QStringLiteral("&#(\\d+);"));
    qsizetype at = 0;
    for (auto it = ref.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        text += html.mid(at, m.capturedStart() - at);
        const char32_t code = m.captured(1).toUInt();
        text += QString::fromUcs4(&code, 1);
        at = m.capturedEnd();
    }
    text += html.mid(at);
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}
