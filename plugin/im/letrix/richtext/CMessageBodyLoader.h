// Fills a message body view from HTML for one fill mode: answers and forwards are quoted with
// "> ", drafts and read messages are not; new text starts in the option font unless the fonts
// of an answered message are kept; a read message gets clickable links.
#pragma once

#include "plugin/im/letrix/richtext/CHtmlBodyReader.h"

#include <QString>
#include <optional>

class QTextDocument;

struct CBodyLoadOptions {
    FillMode mode = FillMode::New;
    bool keepAnsweredFonts = false; // keep the fonts of a replied or forwarded message
    CRichCharFormat optionFont;     // the font new messages start with
};

class CMessageBodyLoader {
public:
    // Loads html into an empty document whose own default format is controlDefault. Returns
    // the format that typing at the start should use, or nothing when reading.
    static std::optional<CRichCharFormat> Load(QTextDocument& doc, const QString& html,
                                               const CBodyLoadOptions& options,
                                               const CRichCharFormat& controlDefault);

    // Whether the option font replaces the control's default for this mode.
    static bool UsesOptionFont(const CBodyLoadOptions& options);

    // Turns web, mail and file addresses in the text into links (anchor formats whose href is
    // the address; "www." gets "http://").
    static void MarkLinks(QTextDocument& doc);
};
