// The notification settings, kept by the messaging core under the notification module's
// number: read afresh for every event, written by the option dialog.
#pragma once

#include "obrix/ObrixApi.h"
#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <array>
#include <cstdint>

// How one kind of line is drawn.
struct PingelLineStyle {
    int32_t visible = 1;
    COLORREF color = 0;
    QString fontName;
    int32_t fontSize = 9; // points

    bool operator==(const PingelLineStyle&) const = default;
};

class CPingelSettings {
public:
    enum LineKind { OnNet, OffNet, Status, Message, LineKindCount };

    // The values used when nothing is stored.
    CPingelSettings();

    // Reads every value with scope 1 and the notification module's number; a missing core
    // function or value leaves the default.
    void Read(const CObrixTable& core);
    // Writes every value; false when the core is missing a function or refused a value.
    bool Write(const CObrixTable& core) const;

    // A copy with every number forced into the range the window can work with, for values
    // stored by hand or while the option dialog's checks were off.
    CPingelSettings Usable() const;

    // Opacity 0 .. 255 that the window fades in to.
    int TargetOpacity() const { return (100 - alpha) * 255 / 100; }

    PingelLineStyle& Line(LineKind kind) { return lines[size_t(kind)]; }
    const PingelLineStyle& Line(LineKind kind) const { return lines[size_t(kind)]; }
    // "OnNet", "OffNet", "Status", "Message".
    static const char16_t* Section(LineKind kind);

    bool operator==(const CPingelSettings&) const = default;

    int32_t visible = 1;              // "PINGEL" "Visible"
    int32_t lineSize = 10;            // "Line" "Size"
    int32_t widthEnable = 1;          // "Width" "Enable"
    int32_t widthSize = 400;          // "Width" "Size"
    int32_t closeEnable = 1;          // "Close" "Enable"
    int32_t closeTime = 5;            // "Close" "Time", seconds
    int32_t alpha = 0;                // "PINGEL" "Alpha", percent of transparency
    int32_t border = 1;               // "PINGEL" "Border"
    COLORREF background = 0x00FFFFFF; // "BackGround" "Color"
    std::array<PingelLineStyle, LineKindCount> lines;

    static constexpr int32_t kScope = 1;
    static constexpr int32_t kMinLines = 1, kMaxLines = 100;
    static constexpr int32_t kMinCloseTime = 1, kMaxCloseTime = 9999;
    static constexpr int32_t kMinAlpha = 0, kMaxAlpha = 70;
};
