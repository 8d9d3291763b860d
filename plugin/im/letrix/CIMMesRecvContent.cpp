#include "plugin/im/letrix/CIMMesRecvContent.h"

#include "obrix/CLetrix.h"
#include "plugin/im/letrix/CIMMesAttachList.h"
#include "plugin/im/letrix/CIMMesComposeRequest.h"

#include <QRegularExpression>

QString CIMMesRecvContent::DisplaySubject(const QString& subject, const QString& noSubject) {
    const QString trimmed = subject.trimmed();
    return trimmed.isEmpty() ? noSubject : trimmed;
}

std::optional<COLORREF> CIMMesRecvContent::BodyBackground(const QString& html) {
    static const QRegularExpression bgColor(
        QStringLiteral("<BODY[^>]*BGCOLOR\\s*=\\s*\"?\\s*#([0-9A-F]{6})"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = bgColor.match(html);
    if (!m.hasMatch())
        return std::nullopt;
    const uint32_t rgb = m.captured(1).toUInt(nullptr, 16);
    // #RRGGBB to 0x00BBGGRR.
    return COLORREF(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
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
    // black they could not be read. A zero background gives way to the colour the body's BODY
    // tag names (black only when it names black), and to white when it names none.
    if (c.background == 0)
        c.background = BodyBackground(message.GetMessage()).value_or(0xFFFFFF);
    c.body = CIMMesComposeRequest::LoadableBody(message.GetMessage());
    c.files = CIMMesAttachList::ReceivedFiles(messageDir, c.messageId, message.GetMessage());
    c.showCc = !c.cc.isEmpty();
    c.showBcc = box == ObrixBox::Sent && !c.bcc.isEmpty();
    c.canReply = box != ObrixBox::Sent;
    c.markRead = box != ObrixBox::Sent && message.IsUnRead();
    return c;
}
