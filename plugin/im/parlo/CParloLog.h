// The chat log as a document: talk lines (the speaker's name in the speaker's colour, then
// the talk read from its HTML, indented), notice lines (small italic text on a coloured
// ground), and the saved and printed forms (RTF with the header block; the printed page with
// the time of printing). Needs a QGuiApplication (fonts), no window.
#pragma once

#include "obrix/ZeltaPlatform.h"
#include "plugin/im/letrix/richtext/CRichCharFormat.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>

class QTextDocument;

class CParloLog {
public:
    // Indents of the talk text and of the header's values, in twips.
    static constexpr int kTalkIndentTwips = 400;
    static constexpr int kHeaderIndentTwips = 200;
    static constexpr COLORREF kNoticeText = 0x282828;

    // doc is the log control's document; it stays the caller's.
    CParloLog(QTextDocument& doc, const CRichCharFormat& defaultFormat);

    // "name:" in color, then the talk HTML (marks already turned back) through the chat reader.
    void AppendTalk(const QString& name, COLORREF color, const QString& html);
    // " [text] " in the notice style; the ground depends on the event type.
    void AppendNotice(int type, const QString& text);
    static COLORREF NoticeBackground(int type);

    bool IsEmpty() const;

    // The header block of a saved log: the start time and the joined members' names.
    struct Header {
        QString startLabel; // "[開始日時]"
        QString startTime;  // long date immediately followed by the time
        QString namesLabel; // "[参加者]"
        QStringList names;
    };
    static QString StartTimeText(const QDateTime& local);

    // A copy of the log with the header block at the top (the log itself never shows it).
    std::unique_ptr<QTextDocument> WithHeader(const Header& header) const;
    // The page to print: "印刷日時:" and the time, then the log.
    std::unique_ptr<QTextDocument> PrintPage(const QString& printedLabel,
                                             const QDateTime& printed) const;

    // Writes the RTF of the log with the header to a new file (whole, atomically). False with
    // error set when the file cannot be written.
    bool SaveRtf(const QString& path, const Header& header, QString* error = nullptr) const;

private:
    QTextDocument& m_doc;
    CRichCharFormat m_default;
};
