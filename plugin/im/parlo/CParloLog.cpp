#include "plugin/im/parlo/CParloLog.h"

#include "plugin/im/letrix/richtext/CHtmlBodyReader.h"
#include "plugin/im/parlo/CParloRtfWriter.h"

#include <QLocale>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QTextBlockFormat Indented(int twips, Qt::Alignment align = Qt::AlignLeft) {
    QTextBlockFormat f;
    f.setLeftMargin(CParloRtfWriter::PixelsFromTwips(twips));
    f.setProperty(CParloRtfWriter::kIndentTwipsProperty, twips);
    f.setAlignment(align);
    return f;
}

QTextCursor EndOf(QTextDocument& doc) {
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    return c;
}

} // namespace

CParloLog::CParloLog(QTextDocument& doc, const CRichCharFormat& defaultFormat)
    : m_doc(doc), m_default(defaultFormat) {}

bool CParloLog::IsEmpty() const {
    return m_doc.isEmpty();
}

void CParloLog::AppendTalk(const QString& name, COLORREF color, const QString& html) {
    QTextCursor c = EndOf(m_doc);
    c.setBlockFormat(Indented(0));
    CRichCharFormat nameFormat = m_default;
    nameFormat.textColor = color;
    c.insertText(name + u':', nameFormat.ToQt());
    c.insertBlock(Indented(kTalkIndentTwips), m_default.ToQt());
    CHtmlBodyReader reader(m_doc, CHtmlBodyReader::Variant::Chat, m_default);
    reader.Read(html);
    if (!reader.TextInserted()) {
        // Nothing to show of the talk; the next line starts unindented all the same.
        EndOf(m_doc).insertBlock(Indented(0), m_default.ToQt());
    }
}

COLORREF CParloLog::NoticeBackground(int type) {
    return type == 2 ? 0xCCCCFF : type == 3 ? 0xFFCCCC : 0xEEEEEE;
}

void CParloLog::AppendNotice(int type, const QString& text) {
    QTextCursor c = EndOf(m_doc);
    c.setBlockFormat(Indented(0));
    CRichCharFormat format = m_default;
    format.heightTwips = 160;
    format.textColor = kNoticeText;
    format.backColor = NoticeBackground(type);
    QTextCharFormat qt = format.ToQt();
    qt.setFontItalic(true);
    c.insertText(QStringLiteral(" [") + text + QStringLiteral("] "), qt);
    c.insertBlock(Indented(0), m_default.ToQt());
}

QString CParloLog::StartTimeText(const QDateTime& local) {
    const QLocale locale = QLocale::system();
    QString time = locale.timeFormat(QLocale::LongFormat);
    // The zone name of Qt's long time format is no part of a clock time.
    time.remove(u't');
    return locale.toString(local.date(), QLocale::LongFormat) +
           locale.toString(local.time(), time.trimmed());
}

std::unique_ptr<QTextDocument> CParloLog::WithHeader(const Header& header) const {
    std::unique_ptr<QTextDocument> doc(m_doc.clone());
    QTextCursor c(doc.get());
    // Split off an empty first paragraph, so the log's own first line keeps its format.
    c.insertBlock();
    c.setPosition(0);
    QTextCharFormat bold = m_default.ToQt();
    bold.setFontWeight(QFont::Bold);
    const auto paragraph = [&](const QString& text, int indent, bool last) {
        c.setBlockFormat(Indented(indent));
        c.setBlockCharFormat(bold);
        c.insertText(text, bold);
        if (!last)
            c.insertBlock(Indented(indent), bold);
    };
    paragraph(header.startLabel, 0, false);
    paragraph(header.startTime, kHeaderIndentTwips, false);
    paragraph(header.namesLabel, 0, false);
    paragraph(header.names.join(u','), kHeaderIndentTwips, false);
    paragraph(QString(), kHeaderIndentTwips, false);
    paragraph(QString(), kHeaderIndentTwips, true);
    return doc;
}

std::unique_ptr<QTextDocument> CParloLog::PrintPage(const QString& printedLabel,
                                                    const QDateTime& printed) const {
    std::unique_ptr<QTextDocument> doc(m_doc.clone());
    QTextCursor c(doc.get());
    c.insertBlock();
    c.setPosition(0);
    c.setBlockFormat(Indented(0));
    c.insertText(printedLabel + u' ' + QLocale::system().toString(printed, QLocale::ShortFormat),
                 m_default.ToQt());
    c.insertBlock(Indented(0), m_default.ToQt());
    return doc;
}

bool CParloLog::SaveRtf(const QString& path, const Header& header, QString* error) const {
    const std::unique_ptr<QTextDocument> doc = WithHeader(header);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(CParloRtfWriter::Write(*doc)) < 0 ||
        !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
