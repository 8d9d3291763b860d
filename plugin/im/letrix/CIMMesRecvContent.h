// What a receive window shows of one stored message, worked out without a window: subject
// (text 496 when blank), sender, the destination texts and which bars they need, send time,
// importance, flag, background, the body as the view loads it and the files that came with it,
// and whether opening it marks it read.
#pragma once

#include "obrix/ObrixApi.h"
#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

class CLetrix;

struct CIMMesRecvContent {
    uint32_t box = 0;
    QString messageId;
    QString subject; // trimmed; the "no subject" text when blank
    QString sender;  // "name [id]"
    QString to, cc, bcc;
    QString sendTime; // local
    bool important = false;
    bool flagged = false;
    COLORREF background = 0xFFFFFF;
    QString body;      // marks restored, attachments removed
    QStringList files; // local paths of the received files
    bool showCc = false;
    bool showBcc = false;  // only the user's own sent messages show their blind copies
    bool canReply = false; // the user's own sent messages are not answered from here
    bool markRead = false; // an unread message of another box than the sent one

    // noSubject: the text shown for a blank subject; messageDir: the core's message directory.
    static CIMMesRecvContent Build(const CObrixTable& core, uint32_t box, const CLetrix& message,
                                   const QString& noSubject, const QString& messageDir);

    // The colour that the body's BODY tag names in BGCOLOR ("#RRGGBB"), if it names one.
    static std::optional<COLORREF> BodyBackground(const QString& html);

    // The subject as windows and notices show it.
    static QString DisplaySubject(const QString& subject, const QString& noSubject);
};
