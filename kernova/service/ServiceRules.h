// Checks that every service applies to what callers hand in, before anything is stored.
#pragma once

#include "kernova/service/CServiceError.h"
#include "kernova/service/ServiceRecords.h"

#include <QByteArrayView>
#include <QStringView>

namespace Svc {

// Text that can be stored and handed to the plug-ins whole: well-formed UTF-16 (no unpaired
// surrogate) without U+0000, at which the plug-ins' records end a string.
bool IsValidText(QStringView text);
// Bytes that are UTF-8 as it is defined: no overlong form, no surrogate, nothing beyond
// U+10FFFF, no sequence cut short. Text from outside (a command line) is refused otherwise
// rather than read with replacement characters.
bool IsValidUtf8(QByteArrayView bytes);

// The one rule for ids of every kind, wherever they come from (the service, the core's files,
// an imported collection, the command line): 1 to maxBytes UTF-8 bytes of well-formed text,
// checked per code point (so also outside the basic plane): no blank, control, format (such as
// direction marks or tag characters), private-use, unassigned or non-character code point,
// none of the characters that file names or paths forbid, and no leading ".". Ids name files,
// so the bound is in bytes.
bool IsValidIdText(QStringView id, int maxBytes);
// A message id: the rule above with kMaxMessageIdBytes.
bool IsValidMessageId(QStringView id);
// Member and group ids: the rule above with kMaxIdBytes, also none of the characters that
// separate addresses (",", "[", "]"), and not one of the names that destinations reserve
// ("all", "OnNetters", anything starting with "all@").
bool IsValidId(const QString& id);
CServiceError CheckId(const QString& id);
CServiceError CheckPassword(const QString& password);
CServiceError CheckField(const char* name, const QString& value, int maxLength = kMaxFieldLength);
CServiceError CheckMember(const SvcMember& member);
CServiceError CheckPresence(const SvcPresence& presence);
// The arguments of a chat invitation: the invited member's id and the invitation text.
CServiceError CheckInvitation(const QString& memberId, const QString& text);

// A destination is "all@OnNetters", "all@<group id>" or a member id, each well formed.
bool IsValidDestination(const QString& destination);
// Everything a sender controls: ids, sizes, destinations. The sender itself is not checked.
CServiceError CheckOutgoing(const SvcMessage& message);
// At most kMaxAttachments files with names of 1 to kMaxAttachmentNameLength characters,
// together at most limit bytes (and each at most kMaxAttachmentBytes).
CServiceError CheckAttachments(const QList<SvcAttachment>& files, qint64 limit);

} // namespace Svc

namespace Svc {
// Status "off" always has a white background, whatever colour was asked for.
SvcPresence Normalized(SvcPresence presence);
} // namespace Svc

namespace Svc {
// The ready-made text of a chat event other than talk (Svc::ChatEventType), from the display
// names of the member it is about and, for an invitation, of the member invited.
QString ChatNoticeText(int type, const QString& name, const QString& otherName = {});
} // namespace Svc
