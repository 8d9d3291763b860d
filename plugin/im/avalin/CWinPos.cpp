#include "plugin/im/avalin/CWinPos.h"

#include <QStringList>

std::optional<CWinPos> CWinPos::Parse(const QString& text) {
    const QStringList fields = text.split(u':');
    if (fields.size() != 5)
        return std::nullopt;
    int values[5];
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        values[i] = fields[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    CWinPos pos;
    pos.showCommand = values[0] == kMaximised ? kMaximised : kRestore;
    pos.normal = QRect(QPoint(values[1], values[2]), QPoint(values[3] - 1, values[4] - 1));
    return pos;
}

QString CWinPos::ToString() const {
    return QStringLiteral("%1:%2:%3:%4:%5")
        .arg(showCommand)
        .arg(normal.left())
        .arg(normal.top())
        .arg(normal.left() + normal.width())
        .arg(normal.top() + normal.height());
}
