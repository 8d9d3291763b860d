// The stored placement of the IM window, "show:left:top:right:bottom" of its restored
// rectangle. A minimised or hidden window comes back restored; a maximised one stays so.
#pragma once

#include <QRect>
#include <QString>

#include <optional>

struct CWinPos {
    static constexpr int kRestore = 9;
    static constexpr int kMaximised = 3;
    static constexpr int kNormal = 1;

    int showCommand = kNormal;
    QRect normal; // left, top, right, bottom as stored (right and bottom exclusive)

    // The value as read at log-on: exactly five integers, or nothing. The show command is
    // already the one to apply: 3 stays, every other value becomes 9.
    static std::optional<CWinPos> Parse(const QString& text);
    QString ToString() const;
};
