#include "plugin/im/trovane/CTrovanePreviewPage.h"

#include "obrix/CHtmlTagString.h"
#include "plugin/im/trovane/CTrovaneMessage.h"

namespace CTrovanePreviewPage {

namespace {

const QString kHead = QStringLiteral(
    "<HEAD><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
    "<STYLE TYPE=text/css>p{margin:0}br{margin:0}</STYLE></HEAD>");

QString Line(const QString& label, const QString& text) {
    return label + QStringLiteral(": ") + text;
}

} // namespace

namespace {

// The page and the point where the text begins (after the body tag; -1 without one).
QString BuildPageAt(const QString& body, qsizetype& insertAt) {
    CHtmlTagString html(body);
    if (html.GetString().contains(QStringLiteral("<BODY>"), Qt::CaseInsensitive)) {
        html.ReplaceMarkS2C();
        html.InsertTagAttr(u"<A", u"TARGET", u"_blank");
    } else {
        html.ReplaceMarkS2COld();
    }
    html.DeleteSplitTag(u"<OBJECT", u"</OBJECT>");
    QString page = kHead + html.GetString();

    // The text starts after the composer's body tag when there is one (an old-form body is
    // wrapped in a bare <BODY> around it), else after the bare tag.
    insertAt = page.indexOf(QStringLiteral("<BODY "), 0, Qt::CaseInsensitive);
    if (insertAt >= 0) {
        const qsizetype close = page.indexOf(u'>', insertAt);
        insertAt = close >= 0 ? close + 1 : -1;
    } else {
        insertAt = page.indexOf(QStringLiteral("<BODY>"), 0, Qt::CaseInsensitive);
        if (insertAt >= 0)
            insertAt += 6;
    }
    const qsizetype end = page.indexOf(QStringLiteral("</BODY>"), 0, Qt::CaseInsensitive);
    if (insertAt >= 0 && end >= insertAt) {
        page.replace(end, 7, QStringLiteral("</PRE></BODY>"));
        page.insert(insertAt, QStringLiteral("<PRE>"));
    }
    return page;
}

QString Escaped(const QString& text) {
    return text.toHtmlEscaped();
}

} // namespace

QString BuildPage(const QString& body) {
    qsizetype insertAt = -1;
    return BuildPageAt(body, insertAt);
}

QString PrintPage(const QString& body, const CTrovaneMessage& entry, const Labels& labels) {
    qsizetype insertAt = -1;
    QString page = BuildPageAt(body, insertAt);
    const bool received = entry.IsReceivedEntry();
    QStringList lines;
    lines << Line(received ? labels.receivedDate : labels.sentDate, entry.GetSendTimeString(1));
    lines << Line(labels.sender, entry.GetFromName());
    lines << Line(labels.recipients, entry.ToNames());
    if (!entry.CcNames().isEmpty())
        lines << Line(labels.cc, entry.CcNames());
    if (!entry.BccNames().isEmpty())
        lines << Line(labels.bcc, entry.BccNames());
    lines << Line(received ? labels.receivedSubject : labels.sentSubject, entry.GetSubject());
    QString block;
    for (const QString& line : lines)
        block += QStringLiteral("<DT>") + Escaped(line) + QStringLiteral("</DT>");
    block += QStringLiteral("<HR>");
    if (insertAt < 0)
        insertAt = kHead.size(); // a body without a body tag: the header goes first
    page.insert(insertAt, block);
    return page;
}

QString HeaderText(const CTrovaneMessage& entry, const Labels& labels) {
    const bool received = entry.IsReceivedEntry();
    const QString subject =
        Line(received ? labels.receivedSubject : labels.sentSubject, entry.GetSubject());
    const QString date =
        Line(received ? labels.receivedDate : labels.sentDate, entry.GetSendTimeString(1));
    const QString sender = Line(labels.sender, entry.GetFromName());
    QString recipients = Line(labels.recipients, entry.ToNames()) + u' ';
    if (!entry.CcNames().isEmpty())
        recipients += Line(labels.cc, entry.CcNames());
    recipients += u' ';
    if (!entry.BccNames().isEmpty())
        recipients += Line(labels.bcc, entry.BccNames());
    const QString head = subject + QStringLiteral("\t\t") + date + u'\n';
    return received ? head + sender + u'\n' + recipients : head + recipients + u'\n' + sender;
}

QList<Attachment> Attachments(const QString& body, const QString& messageDir,
                              const QString& messageId) {
    QList<Attachment> out;
    CHtmlTagString html(body);
    QString inner;
    for (int from = 0; (from = html.GetSplitTag(u"<OBJECT", u"</OBJECT>", inner, from)) >= 0;) {
        // The core stores attachments under safe names; a name that leaves files/ is not one.
        if (inner.contains(u'/') || inner.contains(u'\\') || inner.startsWith(u'.'))
            continue;
        out.append({inner, messageDir + QStringLiteral("files/") + messageId + inner});
    }
    return out;
}

} // namespace CTrovanePreviewPage
