#include "plugin/im/trovane/CTrovaneMessage.h"

#include "obrix/CHtmlTagString.h"
#include "plugin/im/trovane/CTrovaneCoreLink.h"

namespace {

// One destination list as "name [ID]" items and as names alone.
struct DisplayPair {
    QString list;
    QString names;
};

DisplayPair BuildPair(const QList<CIMMesTime*>& destinations, CTrovaneCoreLink& names) {
    DisplayPair out;
    auto append = [&out](const QString& item, const QString& name) {
        if (!out.list.isEmpty() || !out.names.isEmpty()) {
            out.list += QStringLiteral(", ");
            out.names += QStringLiteral(", ");
        }
        out.list += item;
        out.names += name;
    };
    for (const CIMMesTime* destination : destinations) {
        QString id = destination->GetID();
        std::optional<QString> name = names.MemberName(id);
        if (!name) {
            id.remove(QStringLiteral("all@"));
            name = names.GroupName(id);
            if (!name && id == u"OnNetters")
                name = QStringLiteral("OnNetMembers");
        }
        if (name)
            append(QStringLiteral("%1 [%2]").arg(*name, id), *name);
        else if (!destination->GetID().isEmpty())
            append(destination->GetID(), destination->GetID());
    }
    return out;
}

} // namespace

CTrovaneMessage::CTrovaneMessage(const CTrovaneMessage& other)
    : CLetrix(other), m_nLocalNumber(other.m_nLocalNumber), m_nFolderID(other.m_nFolderID),
      m_nPrevFolderID(other.m_nPrevFolderID), m_nBoxFlags(other.m_nBoxFlags),
      m_nReserved(other.m_nReserved), m_strToList(other.m_strToList),
      m_strCcList(other.m_strCcList), m_strBccList(other.m_strBccList),
      m_strToNames(other.m_strToNames), m_strCcNames(other.m_strCcNames),
      m_strBccNames(other.m_strBccNames) {}

CTrovaneMessage& CTrovaneMessage::operator=(const CTrovaneMessage& other) {
    if (this == &other)
        return *this;
    CLetrix::operator=(other);
    m_nLocalNumber = other.m_nLocalNumber;
    m_nFolderID = other.m_nFolderID;
    m_pFolder = nullptr;
    m_nPrevFolderID = other.m_nPrevFolderID;
    m_nBoxFlags = other.m_nBoxFlags;
    m_nReserved = other.m_nReserved;
    m_strToList = other.m_strToList;
    m_strCcList = other.m_strCcList;
    m_strBccList = other.m_strBccList;
    m_strToNames = other.m_strToNames;
    m_strCcNames = other.m_strCcNames;
    m_strBccNames = other.m_strBccNames;
    return *this;
}

CTrovaneMessage::~CTrovaneMessage() = default;

void CTrovaneMessage::Fill(const tagLETRIX* record, CTrovaneCoreLink& names) {
    CLetrix::operator=(record);
    m_nBoxFlags &= TrovaneBox::LowHalf;
    BuildDisplayStrings(names);
    CHtmlTagString body(GetMessage());
    if (body.IsSplitTag(u"<OBJECT", u"</OBJECT>"))
        m_nBoxFlags |= TrovaneBox::HasObject;
}

void CTrovaneMessage::BuildDisplayStrings(CTrovaneCoreLink& names) {
    DisplayPair to = BuildPair(GetDstRef(DST_TO), names);
    DisplayPair cc = BuildPair(GetDstRef(DST_CC), names);
    // A received message shows no blind copies, even when the core kept some.
    DisplayPair bcc = IsReceivedEntry() ? DisplayPair() : BuildPair(GetDstRef(DST_BCC), names);
    m_strToList = std::move(to.list);
    m_strToNames = std::move(to.names);
    m_strCcList = std::move(cc.list);
    m_strCcNames = std::move(cc.names);
    m_strBccList = std::move(bcc.list);
    m_strBccNames = std::move(bcc.names);
}

QString CTrovaneMessage::Body(CTrovaneCoreLink& core) {
    if (m_nBoxFlags & TrovaneBox::BodyNotHeld) {
        CTrovaneHeldMessage held(core, Kind(), GetMessageID());
        if (held)
            SetMessage(
                QString::fromUtf16(held.Record()->pszMessage ? held.Record()->pszMessage : u""));
        m_nBoxFlags &= ~TrovaneBox::BodyNotHeld;
    }
    return GetMessage();
}
