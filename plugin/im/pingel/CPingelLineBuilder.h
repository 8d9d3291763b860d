// Turns the core's presence and receipt events into the lines of the notification window.
// Needs no window: the caller appends what it returns.
#pragma once

#include "obrix/ObrixApi.h"
#include "plugin/im/pingel/CPingelSettings.h"

#include <QDateTime>
#include <QList>
#include <QString>

class CIMGroup;
class CIMMember;

struct PingelLine {
    QString text;
    CPingelSettings::LineKind kind;
};

class CPingelLineBuilder {
public:
    // resources: the core's resource module (OBRIX_GetIMResHandle); now: the local time the
    // presence lines carry.
    CPingelLineBuilder(const CObrixTable& core, void* resources, const QDateTime& now);

    // A member's presence changed: in one group, or in every group of the member ("all").
    // Nothing for an unknown group or member, or a line kind that is switched off.
    QList<PingelLine> Presence(const CPingelSettings& settings, const QString& groupId,
                               const QString& memberId, const QString& previousStatus) const;
    // The core reported on a sent message: 0 received, 1 read, 3 and 4 delivery reports
    // carrying the send time. Nothing for other kinds, an unknown message or a member that
    // is not one of its destinations.
    QList<PingelLine> Receipt(const CPingelSettings& settings, int kind, const QString& messageId,
                              const QString& memberId) const;

    // Family name, then middle and first name each after two spaces when not empty.
    static QString DisplayName(const CIMMember& member);
    // The status as a line shows it: empty and "on" are "OnNet", "off" is "OffNet".
    static QString ShownStatus(const QString& status);
    // The user's short date, a space and the time without seconds.
    static QString LineTime(const QDateTime& local);

    // Text numbers of the core's resource module.
    static constexpr uint32_t kStatusLine = 715;
    static constexpr uint32_t kOnOffLine = 716;
    static constexpr uint32_t kOnWord = 717;
    static constexpr uint32_t kOffWord = 718;
    static constexpr uint32_t kReceiptLines[5] = {724, 725, 0, 726, 727};

private:
    QString StatusLine(const CIMGroup& group, const QString& memberId) const;

    const CObrixTable& m_core;
    void* m_resources;
    QString m_time;
};
