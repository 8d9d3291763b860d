#include "plugin/im/pingel/CPingelGeometry.h"

PingelLayout CPingelGeometry::Compute(const PingelLayoutRequest& r) {
    PingelLayout out;
    int height = r.requested.height();
    // Past the limit the window stays as high as the first lines made it (also when one
    // event brought several lines at once) and the text scrolls.
    if (r.lineCount > r.lineLimit) {
        height = r.limitedHeight;
        out.scrollBar = true;
    }
    // A fixed width includes the scroll bar, which widens the window again below.
    int width = r.fixedWidth ? r.width - (out.scrollBar ? r.scrollBarWidth : 0)
                             : r.requested.width();

    const QRect& area = r.workArea;
    if (height > area.height()) {
        height = area.height();
        out.scrollBar = true;
    }
    bool fullWidth = false;
    if (width > area.width()) {
        width = area.width();
        fullWidth = true;
    }
    if (out.scrollBar && !fullWidth) {
        width += r.scrollBarWidth;
        if (width > area.width())
            width = area.width();
    }
    width = qMax(width, 0);
    height = qMax(height, 0);
    out.window = QRect(area.right() + 1 - width, area.bottom() + 1 - height, width, height);
    return out;
}
