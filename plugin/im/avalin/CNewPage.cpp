#include "plugin/im/avalin/CNewPage.h"

#include "imframe/MessageRequests.h"
#include "obrix/CLetrix.h"
#include "plugin/im/avalin/AvalinIds.h"

CNewPage::CNewPage(const CObrixTable& core, void* resources, QWidget* parent)
    : CMessagePage(core, resources, ObrixBox::Received, parent) {}

QString CNewPage::SecondColumn(const CLetrix& message) const {
    return message.GetFromName();
}

int32_t CNewPage::MessageKind(int command) const {
    switch (command) {
    case AvalinCmd::Reply:
        return MessageBegin::Reply;
    case AvalinCmd::ReplyAll:
        return MessageBegin::ReplyToAll;
    case AvalinCmd::Open:
        return MessageBegin::Open;
    case AvalinCmd::Transfer:
        return MessageBegin::Forward;
    default:
        return -1;
    }
}
