// The steps between a filled compose window and the message handed to the core: the checks in
// their order, each with the text that reports it, and the message built from the window's
// contents.
#pragma once

#include "obrix/CResourceLoader.h"
#include "obrix/ObrixApi.h"
#include "obrix/ZeltaPlatform.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class CLetrix;

// What the compose window holds when it is sent or stored.
struct CIMMesComposeContent {
    QString to, cc, bcc;
    QString subject;
    bool important = false;
    COLORREF background = 0xFFFFFF;
    int bodyLength = 0; // the body control's text length (a line end counts twice)
    QString bodyHtml;   // the message body writer's output
    QStringList files;  // attachments in list order
    QString referenceId;
    QString draftId; // the draft being edited, which storing replaces
};

// A check that failed: the text number and the values of its format.
struct CIMMesSendFailure {
    uint32_t message;
    QList<CFormatArg> args;
};

class CIMMesSendBuilder {
public:
    static constexpr int kMaxSubject = 256;
    static constexpr int kMaxBody = 10000;
    static constexpr uint32_t kSubjectTooLong = 918, kBodyTooLong = 917, kNoTo = 871,
                              kFileUnreadable = 890, kCannotSend = 873;

    // Whether Send is possible at all: a body view, not off line, a body or a file, a To text.
    static bool CanSend(bool hasBodyView, int32_t logonState, bool bodyEmpty, int fileCount,
                        const QString& to);

    // Checks in order (subject length, body length, To, every file readable) and builds the
    // message to send; the first failed check instead.
    static std::optional<CIMMesSendFailure>
    BuildForSend(const CObrixTable& core, const CIMMesComposeContent& content, CLetrix& message);
    // A draft: destinations, reference, subject, priority and body; no checks, no sender, no
    // background colour, no attachments.
    static void BuildDraft(const CObrixTable& core, const CIMMesComposeContent& content,
                           CLetrix& message);

private:
    static void AddDestinations(const CObrixTable& core, const CIMMesComposeContent& content,
                                CLetrix& message);
};
