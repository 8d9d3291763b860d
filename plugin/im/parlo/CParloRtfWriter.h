// Writes a QTextDocument as RTF, the format chat logs are saved in. Qt reads no RTF and writes
// none, so this is the one writer the plug-in has; it writes the part of RTF that a chat log
// needs and that every RTF reader understands:
//
//   {\rtf1\ansi\ansicpg1252\deff0\uc1          header; text beyond ASCII as \uN\'3f (N the
//                                                signed 16-bit code, then "?" as the one
//                                                fallback character, written as \'3f)
//   {\fonttbl{\f0\fnil Face;}...}                one entry per face used, in order of use
//   {\colortbl;\red\green\blue;...}              entry 0 is "auto"; one per colour used
//   \pard\li<twips>\ql ... \par                  one paragraph per block, its start indent
//   \plain\f<n>\fs<half-points>\cf<n>            every run: face, size, text colour
//          [\b] [\i] [\highlight<n>\cb<n>]       bold, italic, background colour
//   \line                                        a line break inside a paragraph
//   \\ \{ \}                                     the three escaped characters
//
// Start indents are taken from the block's kIndentTwipsProperty when set (the log sets it, so
// indents travel exactly), else from the left margin in pixels at 96 per inch.
#pragma once

#include <QByteArray>
#include <QTextFormat>

class QTextDocument;

namespace CParloRtfWriter {

constexpr int kIndentTwipsProperty = QTextFormat::UserProperty + 1;

QByteArray Write(const QTextDocument& doc);

// Pixels at 96 per inch for twips, and back (15 twips a pixel).
inline double PixelsFromTwips(int twips) {
    return twips / 15.0;
}

} // namespace CParloRtfWriter
