#include "plugin/im/letrix/richtext/CHtmlBodyWriter.h"

#include "plugin/im/letrix/richtext/CRichCharFormat.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <vector>

namespace {

// One run of equally formatted characters of the control, or the single character that ends a
// paragraph (the control counts a line end as one character, the text as CR LF).
struct FormatRun {
    QString text;
    CRichCharFormat format;
    bool paragraphEnd = false;
};

struct DocumentRuns {
    std::vector<FormatRun> runs;
    // The format of the position after the last character (what a selection there reads).
    CRichCharFormat end;
};

DocumentRuns CollectRuns(const QTextDocument& doc) {
    DocumentRuns out;
    const CRichCharFormat fallback = CRichCharFormat::FromFont(doc.defaultFont());
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.length() > 0)
                out.runs.push_back(
                    {fragment.text(), CRichCharFormat::FromQt(fragment.charFormat(), fallback)});
        }
        // The separator between two blocks carries the format that the next block starts with.
        const QTextBlock next = block.next();
        if (next.isValid())
            out.runs.push_back(
                {QString(), CRichCharFormat::FromQt(next.charFormat(), fallback), true});
    }
    QTextCursor end(const_cast<QTextDocument*>(&doc));
    end.movePosition(QTextCursor::End);
    out.end = CRichCharFormat::FromQt(end.charFormat(), fallback);
    return out;
}

bool IsLineSeparator(QChar c) {
    return c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// The format of the character after position k of run r.
const CRichCharFormat& FormatAfter(const DocumentRuns& doc, size_t r, qsizetype k) {
    const FormatRun& run = doc.runs[r];
    if (!run.paragraphEnd && k + 1 < run.text.size())
        return run.format;
    return r + 1 < doc.runs.size() ? doc.runs[r + 1].format : doc.end;
}

QString Hex(COLORREF c) {
    return QString::asprintf("#%02X%02X%02X", ZGetRValue(c), ZGetGValue(c), ZGetBValue(c));
}

QString FontTag(const CRichCharFormat& f) {
    return QStringLiteral("<FONT face=\"") + f.face + QStringLiteral("\" size=\"") +
           QString::number(CRichCharFormat::HtmlSizeFromPoints(f.Points())) +
           QStringLiteral("\" color=\"") + Hex(f.textColor) + QStringLiteral("\">");
}

QString ChatFontTag(const CRichCharFormat& f) {
    // The background takes part in the comparison, but is always written as white.
    QString tag = FontTag(f);
    tag.insert(tag.size() - 1, QStringLiteral(" style=\"BACKGROUND-COLOR: #FFFFFF\""));
    return tag;
}

// Emits FONT elements on changes of face, height and colour (and background for chat).
class FontTracker {
public:
    FontTracker(QString& out, bool chat) : m_out(out), m_chat(chat) {}

    void At(const CRichCharFormat& f) {
        if (!m_first && SameFont(f))
            return;
        m_first = false;
        m_previous = f;
        if (m_open)
            m_out += QStringLiteral("</FONT>");
        m_open = !(m_chat && IsChatDefault(f));
        if (m_open)
            m_out += m_chat ? ChatFontTag(f) : FontTag(f);
    }

    void Close() {
        if (m_open)
            m_out += QStringLiteral("</FONT>");
        m_open = false;
    }

private:
    bool SameFont(const CRichCharFormat& f) const {
        return f.face == m_previous.face && f.heightTwips == m_previous.heightTwips &&
               f.textColor == m_previous.textColor &&
               (!m_chat || f.backColor == m_previous.backColor);
    }
    static bool IsChatDefault(const CRichCharFormat& f) {
        return f.face == QStringView(CHtmlBodyWriter::kChatDefaultFace) &&
               f.heightTwips == CHtmlBodyWriter::kChatDefaultTwips && f.textColor == 0;
    }

    QString& m_out;
    bool m_chat;
    bool m_first = true;
    bool m_open = false;
    CRichCharFormat m_previous;
};

} // namespace

void CHtmlBodyWriter::AppendEscaped(QChar c, QString& out) {
    switch (c.unicode()) {
    case u'&':
        out += QStringLiteral("&amp;");
        break;
    case u'<':
        out += QStringLiteral("&lt;");
        break;
    case u'>':
        out += QStringLiteral("&gt;");
        break;
    default:
        out += c;
    }
}

QString CHtmlBodyWriter::Escape(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        AppendEscaped(c, out);
    return out;
}

void CHtmlBodyWriter::AppendMessageBody(const QTextDocument& doc, COLORREF background,
                                        QString& html) {
    const DocumentRuns walk = CollectRuns(doc);
    QString body;
    body.reserve(doc.characterCount() * 2 + 64);
    FontTracker font(body, false);
    for (size_t r = 0; r < walk.runs.size(); ++r) {
        const FormatRun& run = walk.runs[r];
        const qsizetype n = run.paragraphEnd ? 1 : run.text.size();
        for (qsizetype k = 0; k < n; ++k) {
            if (run.paragraphEnd || IsLineSeparator(run.text[k])) {
                // CR reads the line end's own format, LF the format of what follows it.
                font.At(run.format);
                font.At(FormatAfter(walk, r, k));
                body += QStringLiteral("<BR>");
                continue;
            }
            font.At(run.format);
            AppendEscaped(run.text[k], body);
        }
    }
    font.Close();
    html += QStringLiteral("<BODY BGCOLOR=\"") + Hex(background) + QStringLiteral("\">");
    html += body;
    html += QStringLiteral("</BODY>");
}

void CHtmlBodyWriter::WriteChat(const QTextDocument& doc, QString& html) {
    const DocumentRuns walk = CollectRuns(doc);
    QString body;
    FontTracker font(body, true);
    for (const FormatRun& run : walk.runs) {
        if (run.paragraphEnd) {
            font.At(run.format);
            body += u'\n';
            continue;
        }
        for (QChar c : run.text) {
            font.At(run.format);
            if (IsLineSeparator(c))
                body += u'\n';
            else
                AppendEscaped(c, body);
        }
    }
    font.Close();
    html = QStringLiteral("<BODY>") + body + QStringLiteral("</BODY>");
}

int CHtmlBodyWriter::TextLength(const QTextDocument& doc) {
    const QString text = doc.toPlainText();
    return int(text.size() + text.count(u'\n'));
}
