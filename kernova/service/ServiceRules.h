// Checks that every service applies to what callers hand in, before anything is stored.
#pragma once

#include "kernova/service/CServiceError.h"
#include "kernova/service/ServiceRecords.h"

namespace Svc {

// Member and group ids: 1 to kMaxIdLength characters, no blank or control character, none of
// the characters that separate addresses (",", "[", "]") or paths, no leading ".", and not one
// of the names that destinations reserve ("all", "OnNetters", anything starting with "all@").
// Ids become file names in the core's account directories, hence the path characters.
bool IsValidId(const QString& id);
CServiceError CheckId(const QString& id);
CServiceError CheckPassword(const QString& password);
CServiceError CheckField(const char* name, const QString& value, int maxLength = kMaxFieldLength);
CServiceError CheckMember(const SvcMember& member);
CServiceError CheckPresence(const SvcPresence& presence);

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
