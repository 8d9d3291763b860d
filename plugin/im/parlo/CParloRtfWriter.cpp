#include "plugin/im/parlo/CParloRtfWriter.h"

#include <QColor>
#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <cmath>

namespace {

void AppendText(QByteArray& out, QStringView text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += char(u);
        } else if (u == 0x2028 || u == u'\n') {
            out += "\\line ";
        } else if (u == u'\r') {
            // A carriage return is part of a line end that the block already ends.
        } else if (u == u'\t') {
            out += "\\tab ";
        } else if (u >= 0x20 && u < 0x80) {
            out += char(u);
        } else if (u >= 0x20) {
            out += "\\u" + QByteArray::number(int(int16_t(u))) + "\\'3f";
        }
    }
}

class Tables {
public:
    int Font(const QString& face) {
        qsizetype i = m_fonts.indexOf(face);
        if (i < 0) {
            m_fonts.append(face);
            i = m_fonts.size() - 1;
        }
        return int(i);
    }
    int Color(const QColor& color) {
        const QRgb rgb = color.rgb() & 0xFFFFFF;
        qsizetype i = m_colors.indexOf(rgb);
        if (i < 0) {
            m_colors.append(rgb);
            i = m_colors.size() - 1;
        }
        return int(i) + 1; // entry 0 is "auto"
    }
    QByteArray Header() const {
        QByteArray out = "{\\fonttbl";
        for (int i = 0; i < m_fonts.size(); ++i) {
            out += "{\\f" + QByteArray::number(i) + "\\fnil ";
            AppendText(out, m_fonts[i]);
            out += ";}";
        }
        out += "}\n{\\colortbl;";
        for (QRgb rgb : m_colors)
            out += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" +
                   QByteArray::number(qGreen(rgb)) + "\\blue" + QByteArray::number(qBlue(rgb)) +
                   ';';
        out += "}\n";
        return out;
    }

private:
    QStringList m_fonts;
    QList<QRgb> m_colors;
};

int IndentTwips(const QTextBlockFormat& format) {
    if (format.hasProperty(CParloRtfWriter::kIndentTwipsProperty))
        return format.intProperty(CParloRtfWriter::kIndentTwipsProperty);
    return int(std::lround(format.leftMargin() * 15.0));
}

} // namespace

namespace CParloRtfWriter {

QByteArray Write(const QTextDocument& doc) {
    Tables tables;
    QByteArray body;
    const QFont base = doc.defaultFont();
    tables.Font(base.family());
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        body += "\\pard\\li" + QByteArray::number(IndentTwips(block.blockFormat())) + "\\ql ";
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat f = fragment.charFormat();
            const QFont font = f.font();
            const QString family =
                f.hasProperty(QTextFormat::FontFamilies) && !font.families().isEmpty()
                    ? font.families().first()
                    : (font.family().isEmpty() ? base.family() : font.family());
            double points =
                f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : base.pointSizeF();
            if (points <= 0)
                points = 12;
            body += "{\\plain\\f" + QByteArray::number(tables.Font(family)) + "\\fs" +
                    QByteArray::number(int(std::lround(points * 2)));
            const QColor fore =
                f.foreground().style() != Qt::NoBrush ? f.foreground().color() : QColor(Qt::black);
            body += "\\cf" + QByteArray::number(tables.Color(fore));
            if (f.fontWeight() >= QFont::Bold)
                body += "\\b";
            if (f.fontItalic())
                body += "\\i";
            if (f.background().style() != Qt::NoBrush) {
                const QByteArray n = QByteArray::number(tables.Color(f.background().color()));
                body += "\\highlight" + n + "\\cb" + n;
            }
            body += ' ';
            AppendText(body, fragment.text());
            body += '}';
        }
        body += "\\par\n";
    }
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n" + tables.Header() + body + "}\n";
}

} // namespace CParloRtfWriter
