#include "plugin/im/pingel/CPingelGeometry.h"

PingelLayout CPingelGeometry::Compute(const PingelLayoutRequest& r) {
    PingelLayout out;
    const QRect& area = r.workArea;
    int height = r.requested.height();
    // Past the limit the window stays as high as the first lines made it (also when one
    // event brought several lines at once) and the text scrolls.
    if (r.lineCount > r.lineLimit) {
        height = r.limitedHeight;
        out.scrollBar = true;
    }
    if (height > area.height()) {
        height = area.height();
        out.scrollBar = true;
    }
    // A fixed width includes the scroll bar: it is taken off here and the widening below
    // gives it back.
    int width =
        r.fixedWidth ? r.width - (out.scrollBar ? r.scrollBarWidth : 0) : r.requested.width();
    bool fullWidth = false;
    if (width > area.width()) {
        width = area.width();
        fullWidth = true;
    }
    // A window spanning the whole width keeps it; its text gives up the scroll bar's room.
    if (out.scrollBar && !fullWidth)
        width = qMin(width + r.scrollBarWidth, area.width());
    width = qMax(width, 0);
    height = qMax(height, 0);
    out.window = QRect(area.right() + 1 - width, area.bottom() + 1 - height, width, height);
    return out;
}
