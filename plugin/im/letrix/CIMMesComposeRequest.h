// What a compose window is opened with, built from a request of OBRIX_Begin: destinations as
// address texts, subject with its "RE: " or "FW: " prefix, the earlier body without its
// attachments, and the files of a request to a member.
#pragma once

#include "obrix/ObrixApi.h"

#include <QString>
#include <QStringList>
#include <optional>

class CLetrix;

struct CIMMesComposeRequest {
    int32_t kind = 0;
    uint32_t originBox = 0;
    QString messageId;   // the draft's own id (edit a draft)
    QString referenceId; // the answered or forwarded message
    QString to, cc, bcc;
    QString subject;
    QString body; // HTML
    QStringList files;

    // The request for kinds 0 to 7 and its data (imframe/MessageRequests.h); nothing for other
    // kinds or missing data. Kind 5 (open a received message) carries the origin box and id.
    static std::optional<CIMMesComposeRequest> Build(const CObrixTable& core, int32_t kind,
                                                     intptr_t data);

    // The address text of one destination list in the message's order.
    static QString AddressText(const CObrixTable& core, const CLetrix& message, int list);
    // A stored body as the window loads it: marks restored, attachment elements removed.
    static QString LoadableBody(const QString& stored);
};
