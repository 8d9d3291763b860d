#include "plugin/im/letrix/CIMMesComposeRequest.h"

#include "imframe/MessageRequests.h"
#include "obrix/CHtmlTagString.h"
#include "obrix/CLetrix.h"
#include "obrix/RecordText.h"
#include "plugin/im/letrix/CAddressText.h"

#include <set>

namespace {

// The ids that one answer addresses, ordered by plain text comparison: members by id, groups
// by group id (without "all@"), all on-line members as "OnNetters"; others dropped.
void CollectIds(const CObrixTable& core, const CLetrix& message, CLetrix::eDest list,
                std::set<QString>& ids) {
    for (const CIMMesTime* dst : message.GetDstRef(list)) {
        const QString id = dst->GetID();
        const char16_t* raw = RecordText::Field(id);
        if (core.GetMember && core.GetMember(raw)) {
            ids.insert(id);
            continue;
        }
        QString group = id;
        if (group.startsWith(QStringView(CAddressText::kGroupPrefix)))
            group.remove(0, QStringView(CAddressText::kGroupPrefix).size());
        if (group == QStringView(CAddressText::kOnNetters) ||
            (core.GetGroup && core.GetGroup(RecordText::Field(group))))
            ids.insert(group);
    }
}

QString AddressTextOf(const CObrixTable& core, const std::set<QString>& ids) {
    CAddressText text;
    for (const QString& id : ids)
        if (std::optional<QString> entry = CAddressText::EntryOf(core, id))
            text.Append(*entry);
    return text.Text();
}

} // namespace

QString CIMMesComposeRequest::LoadableBody(const QString& stored) {
    CHtmlTagString body(stored);
    body.ReplaceMarkS2C();
    body.DeleteSplitTag(u"<OBJECT>", u"</OBJECT>");
    return body.GetString();
}

QString CIMMesComposeRequest::AddressText(const CObrixTable& core, const CLetrix& message,
                                          int list) {
    CAddressText text;
    for (const CIMMesTime* dst : message.GetDstRef(CLetrix::eDest(list)))
        if (std::optional<QString> entry = CAddressText::EntryOf(core, dst->GetID()))
            text.Append(*entry);
    return text.Text();
}

std::optional<CIMMesComposeRequest> CIMMesComposeRequest::Build(const CObrixTable& core,
                                                                int32_t kind, intptr_t data) {
    CIMMesComposeRequest r;
    r.kind = kind;
    switch (kind) {
    case MessageBegin::New:
        return r;
    case MessageBegin::NewToMember: {
        const auto* request = reinterpret_cast<const tagMESBEGINMEMBER*>(data);
        if (!request)
            return std::nullopt;
        if (std::optional<QString> entry =
                CAddressText::EntryOf(core, RecordText::FromField(request->pszMemberID)))
            r.to = *entry;
        for (int32_t i = 0; request->ppszFiles && i < request->nFiles; ++i)
            if (request->ppszFiles[i])
                r.files << RecordText::FromField(request->ppszFiles[i]);
        return r;
    }
    case MessageBegin::NewToSameRecipients:
    case MessageBegin::Reply:
    case MessageBegin::ReplyToAll:
    case MessageBegin::EditDraft:
    case MessageBegin::Open:
    case MessageBegin::Forward:
        break;
    default:
        return std::nullopt;
    }
    const auto* request = reinterpret_cast<const tagMESBEGIN*>(data);
    if (!request || !request->pLetrix)
        return std::nullopt;
    const CLetrix message(request->pLetrix);
    r.originBox = request->nBox;
    r.messageId = message.GetMessageID();
    if (kind == MessageBegin::Open)
        return r;

    if (kind == MessageBegin::EditDraft) {
        r.to = AddressText(core, message, CLetrix::DST_TO);
        r.cc = AddressText(core, message, CLetrix::DST_CC);
        r.bcc = AddressText(core, message, CLetrix::DST_BCC);
        r.subject = message.GetSubject();
        r.body = LoadableBody(message.GetMessage());
        return r;
    }
    r.messageId.clear();
    if (kind == MessageBegin::Reply) {
        const QString from = message.GetFromID();
        if (!from.isEmpty() && core.GetMember && core.GetMember(RecordText::Field(from)))
            r.to = CAddressText::EntryOf(core, from).value_or(QString());
    } else if (kind == MessageBegin::NewToSameRecipients || kind == MessageBegin::ReplyToAll) {
        std::set<QString> ids;
        CollectIds(core, message, CLetrix::DST_TO, ids);
        if (kind == MessageBegin::ReplyToAll) {
            CollectIds(core, message, CLetrix::DST_CC, ids);
            // The user is taken out before the sender goes in: answering one's own message
            // keeps oneself as a recipient.
            ids.erase(RecordText::FromField(core.GetUserID ? core.GetUserID() : nullptr));
            ids.insert(message.GetFromID());
        }
        r.to = AddressTextOf(core, ids);
    }
    if (kind == MessageBegin::NewToSameRecipients)
        return r;
    const QString prefix =
        kind == MessageBegin::Forward ? QStringLiteral("FW: ") : QStringLiteral("RE: ");
    r.referenceId = message.GetMessageID();
    r.subject = prefix + message.GetSubject();
    r.body = LoadableBody(message.GetMessage());
    return r;
}
