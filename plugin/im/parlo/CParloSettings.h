// The chat plug-in's thirteen user settings (section "DefaultSetting" of module 5) and the
// limits the product data sets for every user (MAXCREATEWND, MAXMEMBERS, CHAT_RELOAD).
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <cstdint>

struct CObrixTable;

struct CParloSettings {
    static constexpr int32_t kScope = 1;
    static constexpr const char16_t* kSection = u"DefaultSetting";
    // Time-outs the option dialog accepts, in seconds.
    static constexpr int kMinTimeout = 1;
    static constexpr int kMaxTimeout = 9999;
    // Texts are read into buffers of this many characters.
    static constexpr int kTextChars = 260;

    // Tone choices of EntrySetType and MessageSetType.
    enum ToneType { BuiltInTone = 0, FileTone = 1, NoTone = 2 };

    int32_t messagePosition = 1;    // invitation windows: 0 centre .. 4 bottom left
    int32_t memberListPosition = 1; // 0 participant list on the left, 1 on the right
    QString fontName = QString::fromUtf16(u"ＭＳ Ｐゴシック");
    QString fontSize = QStringLiteral("12");
    int32_t foreColor = 0;
    int32_t timeout = 300;         // seconds alone before a chat closes itself
    int32_t chatEntryTimeout = 90; // seconds before an unanswered invitation is declined
    int32_t entrySetType = BuiltInTone;
    QString entryRingTone;
    int32_t messageSetType = BuiltInTone;
    QString messageRingTone;
    int32_t logSave = 1; // 1 ask on closing, 0 save into logSavePath
    QString logSavePath;

    bool operator==(const CParloSettings&) const = default;

    void Read(const CObrixTable& core);
    void Write(const CObrixTable& core) const;

    // The input line's default font size in points; a stored text that is no number gives 12.
    int FontPoints() const;
    static bool IsValidTimeout(int seconds) {
        return seconds >= kMinTimeout && seconds <= kMaxTimeout;
    }
};

// What the product allows every user, read once at start.
struct CParloLimits {
    int32_t maxCreateWnd = 5;  // chat windows held at once
    int32_t maxMembers = 5;    // participants of one chat
    int32_t chatReload = 5000; // polling period, milliseconds

    void Read(const CObrixTable& core);
};
