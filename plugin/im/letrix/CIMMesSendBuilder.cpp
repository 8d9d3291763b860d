#include "plugin/im/letrix/CIMMesSendBuilder.h"

#include "obrix/CHtmlTagString.h"
#include "obrix/CIMMember.h"
#include "obrix/CLetrix.h"
#include "obrix/RecordText.h"
#include "plugin/im/letrix/CAddressText.h"

#include <QFile>
#include <QFileInfo>

bool CIMMesSendBuilder::CanSend(bool hasBodyView, int32_t logonState, bool bodyEmpty, int fileCount,
                                const QString& to) {
    return hasBodyView && logonState != ObrixLogon::Offline && (!bodyEmpty || fileCount > 0) &&
           !to.isEmpty();
}

void CIMMesSendBuilder::AddDestinations(const CObrixTable& core,
                                        const CIMMesComposeContent& content, CLetrix& message) {
    const std::pair<const QString*, CLetrix::eDest> lists[] = {{&content.to, CLetrix::DST_TO},
                                                               {&content.cc, CLetrix::DST_CC},
                                                               {&content.bcc, CLetrix::DST_BCC}};
    for (const auto& [text, list] : lists)
        for (const QString& id : CAddressText::Destinations(core, *text))
            message.AddDst(list, id);
}

std::optional<CIMMesSendFailure>
CIMMesSendBuilder::BuildForSend(const CObrixTable& core, const CIMMesComposeContent& content,
                                CLetrix& message) {
    if (content.subject.size() > kMaxSubject)
        return CIMMesSendFailure{kSubjectTooLong, {kMaxSubject}};
    if (content.bodyLength > kMaxBody)
        return CIMMesSendFailure{kBodyTooLong, {kMaxBody}};

    const QString user =
        core.GetUserID && core.GetUserID() ? QString::fromUtf16(core.GetUserID()) : QString();
    if (!user.isEmpty()) {
        message.SetFromID(user);
        message.SetReplyTo(user);
        if (const tagIMMEMBER* record =
                core.GetMember ? core.GetMember(RecordText::Field(user)) : nullptr) {
            CIMMember me;
            me = record;
            message.SetFromName(me.GetFamilyName(1) + me.GetMiddleName(1) + me.GetFirstName(1));
        }
    }
    if (content.to.isEmpty())
        return CIMMesSendFailure{kNoTo, {}};
    message.CreateMessageID();

    AddDestinations(core, content, message);
    if (!content.referenceId.isEmpty())
        message.SetReferenceID(content.referenceId);
    message.SetSubject(content.subject);
    message.SetPriority(content.important ? 1 : 0);
    message.SetBgColor(uint32_t(content.background));

    QString body = content.bodyHtml;
    for (const QString& path : content.files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return CIMMesSendFailure{kFileUnreadable, {QFileInfo(path).fileName()}};
        body += QStringLiteral("<OBJECT>") + path + QStringLiteral("</OBJECT>");
    }
    CHtmlTagString::ReplaceMarkC2S(body);
    message.SetMessage(body);
    return std::nullopt;
}

void CIMMesSendBuilder::BuildDraft(const CObrixTable& core, const CIMMesComposeContent& content,
                                   CLetrix& message) {
    if (!content.draftId.isEmpty())
        message.SetMessageID(content.draftId);
    AddDestinations(core, content, message);
    if (!content.referenceId.isEmpty())
        message.SetReferenceID(content.referenceId);
    message.SetSubject(content.subject);
    message.SetPriority(content.important ? 1 : 0);
    QString body = content.bodyHtml;
    CHtmlTagString::ReplaceMarkC2S(body);
    message.SetMessage(body);
}
