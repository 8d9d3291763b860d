// The tab of sent messages: the destinations in the second column; re-edit, open, forward
// and property.
#pragma once

#include "plugin/im/avalin/CMessagePage.h"

#include <functional>

class CSendPage : public CMessagePage {
    Q_OBJECT

public:
    CSendPage(const CObrixTable& core, void* resources, QWidget* parent = nullptr);

    // The destination text of a message: the To destinations, then the Cc destinations after
    // `ccLabel` and the Bcc destinations after `bccLabel` (each only when there are any), each
    // destination followed by ",", the last "," dropped. A member shows its display name; a
    // group ("all@" and its id) its name, the on-line members "OnNetMembers"; an id that
    // names neither is left out.
    struct Names {
        std::function<QString(const QString&)> member; // display name, null when unknown
        std::function<QString(const QString&)> group;  // group name, null when unknown
    };
    static QString Destinations(const CLetrix& message, const Names& names,
                                const QString& ccLabel, const QString& bccLabel);

protected:
    QString SecondColumn(const CLetrix& message) const override;
    int32_t MessageKind(int command) const override;
};
