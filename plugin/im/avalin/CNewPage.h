// The tab of newly received messages: the sender in the second column; reply, reply all,
// open, forward and property.
#pragma once

#include "plugin/im/avalin/CMessagePage.h"

class CNewPage : public CMessagePage {
    Q_OBJECT

public:
    CNewPage(const CObrixTable& core, void* resources, QWidget* parent = nullptr);

protected:
    QString SecondColumn(const CLetrix& message) const override;
    int32_t MessageKind(int command) const override;
};
