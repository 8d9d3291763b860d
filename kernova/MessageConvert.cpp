#include "kernova/MessageConvert.h"

#include "obrix/ObrixTime.h"

namespace MessageConvert {

SYSTEMTIME ToSystemTime(const QDateTime& utc) {
    SYSTEMTIME t{};
    if (!utc.isValid())
        return t;
    const QDateTime u = utc.toUTC();
    const QDate d = u.date();
    const QTime tm = u.time();
    t.wYear = uint16_t(d.year());
    t.wMonth = uint16_t(d.month());
    t.wDayOfWeek = uint16_t(d.dayOfWeek() % 7);
    t.wDay = uint16_t(d.day());
    t.wHour = uint16_t(tm.hour());
    t.wMinute = uint16_t(tm.minute());
    t.wSecond = uint16_t(tm.second());
    t.wMilliseconds = uint16_t(tm.msec());
    return t;
}

QDateTime FromSystemTime(const SYSTEMTIME& utc) {
    if (!ObrixTime::IsNormalTime(utc))
        return {};
    const QDate d(utc.wYear, utc.wMonth, utc.wDay);
    const QTime tm(utc.wHour, utc.wMinute, utc.wSecond, utc.wMilliseconds);
    if (!d.isValid() || !tm.isValid())
        return {};
    return QDateTime(d, tm, Qt::UTC);
}

std::unique_ptr<CLetrix> ToLetrix(const SvcMessage& m) {
    auto message = std::make_unique<CLetrix>();
    message->SetMessageID(m.messageId);
    message->SetFromID(m.fromId);
    message->SetFromName(m.fromName);
    message->SetReplyMode(m.replyMode);
    message->SetReplyTo(m.replyTo);
    message->SetReferenceID(m.referenceId);
    message->SetPriority(m.priority);
    message->SetFlags(m.flags & ~kLocalFlags);
    message->SetPicNumber(m.picNumber);
    message->SetPicVersion(m.picVersion);
    message->SetBgColor(m.bgColor);
    message->SetType(m.type);
    message->SetTypeValue(m.typeValue);
    message->SetSendTime(ToSystemTime(m.sendTime), 0);
    message->SetSubject(m.subject);
    message->SetMessage(m.body);
    for (int list = 0; list < 3; ++list) {
        QList<CIMMesTime*> entries;
        for (const SvcDestination& d : m.dest[list]) {
            auto* entry = new CIMMesTime;
            entry->SetID(d.id);
            if (d.recvTime.isValid())
                entry->SetRecvTime(ToSystemTime(d.recvTime), 0);
            if (d.readTime.isValid())
                entry->SetReadTime(ToSystemTime(d.readTime), 0);
            entries.append(entry);
        }
        message->SetDstArray(CLetrix::eDest(list), entries);
    }
    return message;
}

SvcMessage ToService(const CLetrix& message) {
    SvcMessage m;
    m.messageId = message.GetMessageID();
    m.fromId = message.GetFromID();
    m.fromName = message.GetFromName();
    for (int list = 0; list < 3; ++list)
        for (const CIMMesTime* entry : message.GetDstRef(CLetrix::eDest(list)))
            m.AddDest(Svc::DestList(list), entry->GetID());
    m.replyMode = message.GetReplyMode();
    m.replyTo = message.GetReplyTo();
    m.referenceId = message.GetReferenceID();
    m.priority = message.GetPriority();
    m.flags = message.GetFlags() & ~kLocalFlags;
    m.picNumber = message.GetPicNumber();
    m.picVersion = message.GetPicVersion();
    m.bgColor = message.GetBgColor();
    m.type = message.GetType();
    m.typeValue = message.GetTypeValue();
    m.sendTime = FromSystemTime(message.GetSendTime(0));
    m.subject = message.GetSubject();
    m.body = message.GetMessage();
    return m;
}

void TakeDestinationTimes(CLetrix& message, const SvcMessage& source) {
    for (int list = 0; list < 3; ++list) {
        const auto d = CLetrix::eDest(list);
        for (const SvcDestination& dest : source.dest[list]) {
            if (dest.recvTime.isValid())
                message.SetDstRecvTime(d, dest.id, ToSystemTime(dest.recvTime), 0);
            if (dest.readTime.isValid())
                message.SetDstReadTime(d, dest.id, ToSystemTime(dest.readTime), 0);
        }
    }
}

} // namespace MessageConvert
