#include "plugin/im/letrix/richtext/CMessageBodyLoader.h"

#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

bool CMessageBodyLoader::UsesOptionFont(const CBodyLoadOptions& options) {
    switch (options.mode) {
    case FillMode::New:
    case FillMode::NewToSameRecipients:
    case FillMode::NewToMember:
        return true;
    case FillMode::Reply:
    case FillMode::ReplyToAll:
    case FillMode::EditDraft:
    case FillMode::Forward:
        return !options.keepAnsweredFonts;
    default:
        return false;
    }
}

std::optional<CRichCharFormat> CMessageBodyLoader::Load(QTextDocument& doc, const QString& html,
                                                        const CBodyLoadOptions& options,
                                                        const CRichCharFormat& controlDefault) {
    CRichCharFormat base = controlDefault;
    if (UsesOptionFont(options)) {
        base = options.optionFont;
        QFont font = doc.defaultFont();
        font.setFamilies({base.face});
        font.setPointSizeF(base.heightTwips / 20.0);
        doc.setDefaultFont(font);
    }
    const bool plainLineEnds =
        options.mode == FillMode::EditDraft || options.mode == FillMode::Read;
    QString body = html;
    body.replace(QStringLiteral("<BR>"),
                 plainLineEnds ? QStringLiteral("\r\n") : QStringLiteral("\r\n> "));

    CHtmlBodyReader reader(doc, CHtmlBodyReader::Variant::Message, base);
    reader.SetFillMode(options.mode);
    reader.SetKeepFonts(options.keepAnsweredFonts);
    reader.Read(body);

    if (options.mode == FillMode::Read) {
        MarkLinks(doc);
        return std::nullopt;
    }
    return options.optionFont;
}

void CMessageBodyLoader::MarkLinks(QTextDocument& doc) {
    static const QRegularExpression kLink(
        QStringLiteral(
            "(?:(?:https?|ftp|file)://|mailto:|www\\.)[A-Za-z0-9\\-._~:/?#\\[\\]@!$&'()*+,;=%]+"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text = doc.toPlainText();
    QRegularExpressionMatchIterator it = kLink.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        QString address = m.captured();
        // Punctuation that ends a sentence is not part of the address.
        while (!address.isEmpty() && QStringView(u".,;:!?)'").contains(address.back()))
            address.chop(1);
        if (address.isEmpty())
            continue;
        QTextCursor cursor(&doc);
        cursor.setPosition(int(m.capturedStart()));
        cursor.setPosition(int(m.capturedStart() + address.size()), QTextCursor::KeepAnchor);
        QTextCharFormat link;
        link.setAnchor(true);
        link.setAnchorHref(address.startsWith(QLatin1String("www."), Qt::CaseInsensitive)
                               ? QStringLiteral("http://") + address
                               : address);
        link.setFontUnderline(true);
        cursor.mergeCharFormat(link);
    }
}
