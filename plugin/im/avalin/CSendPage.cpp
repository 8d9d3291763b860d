#include "plugin/im/avalin/CSendPage.h"

#include "imframe/MessageRequests.h"
#include "obrix/CIMGroup.h"
#include "obrix/CIMMember.h"
#include "obrix/CIMMesTime.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/avalin/AvalinIds.h"

CSendPage::CSendPage(const CObrixTable& core, void* resources, QWidget* parent)
    : CMessagePage(core, resources, ObrixBox::Sent, parent) {}

QString CSendPage::Destinations(const CLetrix& message, const Names& names,
                                const QString& ccLabel, const QString& bccLabel) {
    QString text;
    const CLetrix::eDest kinds[3] = {CLetrix::DST_TO, CLetrix::DST_CC, CLetrix::DST_BCC};
    const QString labels[3] = {QString(), ccLabel, bccLabel};
    for (int k = 0; k < 3; ++k) {
        const QList<CIMMesTime*>& list = message.GetDstRef(kinds[k]);
        if (list.isEmpty())
            continue;
        text += labels[k];
        for (const CIMMesTime* dst : list) {
            const QString id = dst->GetID();
            QString name = names.member ? names.member(id) : QString();
            if (name.isNull()) {
                QString group = id;
                if (group.startsWith(QStringLiteral("all@"), Qt::CaseInsensitive))
                    group = group.mid(4);
                if (group.compare(QStringLiteral("OnNetters"), Qt::CaseInsensitive) == 0)
                    name = QStringLiteral("OnNetMembers");
                else if (names.group)
                    name = names.group(group);
            }
            // An id that names nobody the core knows adds no empty entry.
            if (!name.isEmpty())
                text += name + u',';
        }
    }
    if (text.endsWith(u','))
        text.chop(1);
    return text;
}

QString CSendPage::SecondColumn(const CLetrix& message) const {
    Names names;
    names.member = [this](const QString& id) {
        const tagIMMEMBER* m =
            m_core.GetMember ? m_core.GetMember(reinterpret_cast<const char16_t*>(id.utf16()))
                             : nullptr;
        return m ? CIMMember::DisplayName(m) : QString();
    };
    names.group = [this](const QString& id) {
        const tagIMGROUP* g =
            m_core.GetGroup ? m_core.GetGroup(reinterpret_cast<const char16_t*>(id.utf16()))
                            : nullptr;
        return g && g->pszName ? QString::fromUtf16(g->pszName) : QString();
    };
    return Destinations(message, names, CResourceLoader::LoadString(m_resources, AvalinRes::TextCcLabel),
                        CResourceLoader::LoadString(m_resources, AvalinRes::TextBccLabel));
}

int32_t CSendPage::MessageKind(int command) const {
    switch (command) {
    case AvalinCmd::ReEdit:
        return MessageBegin::EditDraft;
    case AvalinCmd::Open:
        return MessageBegin::Open;
    case AvalinCmd::Transfer:
        return MessageBegin::Forward;
    default:
        return -1;
    }
}
