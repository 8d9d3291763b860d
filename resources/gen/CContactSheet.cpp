#include "resources/gen/CContactSheet.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace {

constexpr int kWidth = 980;
constexpr int kTextWidth = 300;
constexpr int kPanelWidth = kWidth - kTextWidth - 30;
constexpr int kGap = 6;

struct Flow {
    QList<QPoint> positions;
    int height = 0;
};

// Places tiles left to right, wrapping at the panel width, with room for a label below.
Flow layout(const QList<QImage>& tiles, int scale, int labelHeight) {
    Flow f;
    int x = kGap, y = kGap, rowH = 0;
    for (const QImage& t : tiles) {
        const int w = t.width() / scale, h = t.height() / scale;
        const int cellW = std::max(w, 18);
        if (x + cellW + kGap > kPanelWidth && x > kGap) {
            x = kGap;
            y += rowH + labelHeight + kGap;
            rowH = 0;
        }
        f.positions << QPoint(x, y);
        x += cellW + kGap;
        rowH = std::max(rowH, h);
    }
    f.height = y + rowH + labelHeight + kGap;
    return f;
}

} // namespace

QImage CContactSheet::render(const QString& heading, const QList<Item>& items, int scale) {
    QFont titleFont(QStringLiteral("DejaVu Sans"));
    titleFont.setPixelSize(13);
    titleFont.setBold(true);
    QFont textFont(QStringLiteral("DejaVu Sans"));
    textFont.setPixelSize(11);
    QFont labelFont(QStringLiteral("DejaVu Sans"));
    labelFont.setPixelSize(9);
    const QFontMetrics tm(textFont), lm(labelFont);
    const int labelH = lm.height();

    // First pass: heights.
    QList<Flow> flows;
    QList<int> rowHeights;
    int total = 40;
    for (const Item& item : items) {
        const Flow f = layout(item.tiles, scale, labelH);
        const QRect roleRect =
            tm.boundingRect(QRect(0, 0, kTextWidth - 10, 2000), Qt::TextWordWrap, item.role);
        const int h = std::max(2 * f.height + 4, 22 + roleRect.height()) + 12;
        flows << f;
        rowHeights << h;
        total += h;
    }

    QImage sheet(kWidth * scale, total * scale, QImage::Format_ARGB32);
    sheet.setDevicePixelRatio(scale);
    sheet.fill(QColor(0xF4, 0xF5, 0xF7));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(titleFont);
    p.setPen(Qt::black);
    p.drawText(QRect(10, 8, kWidth - 20, 24), Qt::AlignLeft | Qt::AlignVCenter, heading);

    int y = 40;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        const Flow& f = flows[i];
        const int h = rowHeights[i];
        p.setPen(QColor(0xD0, 0xD4, 0xDA));
        p.drawLine(0, y, kWidth, y);
        p.setPen(Qt::black);
        p.setFont(titleFont);
        p.drawText(QRect(10, y + 4, kTextWidth - 10, 18), Qt::AlignLeft, item.title);
        p.setFont(textFont);
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.drawText(QRect(10, y + 22, kTextWidth - 10, h - 22), Qt::TextWordWrap, item.role);

        const QColor panels[2] = {Qt::white, QColor(0x33, 0x38, 0x3F)};
        for (int k = 0; k < 2; ++k) {
            const QRect panel(kTextWidth + 10, y + 4 + k * (f.height + 4), kPanelWidth, f.height);
            p.fillRect(panel, panels[k]);
            p.setFont(labelFont);
            for (qsizetype t = 0; t < item.tiles.size(); ++t) {
                QImage tile = item.tiles[t];
                tile.setDevicePixelRatio(scale);
                const QPoint at = panel.topLeft() + f.positions[t];
                p.drawImage(at, tile);
                if (t < item.labels.size()) {
                    p.setPen(k == 0 ? QColor(0x60, 0x60, 0x60) : QColor(0xC8, 0xC8, 0xC8));
                    p.drawText(QPoint(at.x(), at.y() + tile.height() / scale + lm.ascent()),
                               item.labels[t]);
                }
            }
        }
        y += h;
    }
    return sheet;
}
