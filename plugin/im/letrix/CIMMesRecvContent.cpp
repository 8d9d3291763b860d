#include "plugin/im/letrix/CIMMesRecvContent.h"

#include "obrix/CLetrix.h"
#include "plugin/im/letrix/CIMMesAttachList.h"
#include "plugin/im/letrix/CIMMesComposeRequest.h"

#include <QRegularExpression>

QString CIMMesRecvContent::DisplaySubject(const QString& subject, const QString& noSubject) {
    const QString trimmed = subject.trimmed();
    return trimmed.isEmpty() ? noSubject : trimmed;
}

CIMMesRecvContent CIMMesRecvContent::Build(const CObrixTable& core, uint32_t box,
                                           const CLetrix& message, const QString& noSubject,
                                           const QString& messageDir) {
    CIMMesRecvContent c;
    c.box = box;
    c.messageId = message.GetMessageID();
    c.subject = DisplaySubject(message.GetSubject(), noSubject);
    c.sender = message.GetFromNameAndID();
    c.to = CIMMesComposeRequest::AddressText(core, message, CLetrix::DST_TO);
    c.cc = CIMMesComposeRequest::AddressText(core, message, CLetrix::DST_CC);
    c.bcc = CIMMesComposeRequest::AddressText(core, message, CLetrix::DST_BCC);
    c.sendTime = message.GetSendTimeString(1);
    c.important = message.GetPriority() == 1;
    c.flagged = message.IsDogear() != 0;
    c.background = message.GetBgColor();
    // Messages of other clients carry no background (0) and default black text: shown on
    // black they could not be read. A black background counts only when the body says so.
    static const QRegularExpression bodyBackground(QStringLiteral("<BODY[^>]*BGCOLOR"),
                                                   QRegularExpression::CaseInsensitiveOption);
    if (c.background == 0 && !message.GetMessage().contains(bodyBackground))
        c.background = 0xFFFFFF;
    c.body = CIMMesComposeRequest::LoadableBody(message.GetMessage());
    c.files = CIMMesAttachList::ReceivedFiles(messageDir, c.messageId, message.GetMessage());
    c.showCc = !c.cc.isEmpty();
    c.showBcc = box == ObrixBox::Sent && !c.bcc.isEmpty();
    c.canReply = box != ObrixBox::Sent;
    c.markRead = box != ObrixBox::Sent && message.IsUnRead();
    return c;
}
