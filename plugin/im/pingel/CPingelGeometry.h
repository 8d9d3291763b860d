// Where the notification window goes and how large it is, from the size its text asks for:
// bottom-right in the work area, growing with its lines up to the line limit, then keeping
// its height and scrolling.
#pragma once

#include <QRect>
#include <QSize>

struct PingelLayoutRequest {
    QRect workArea;
    QSize requested;        // what the text needs, frame included, without a scroll bar
    int lineCount = 0;      // lines of the text as laid out (counted up to one past the limit)
    int limitedHeight = 0;  // height of the first lineLimit lines, frame included
    int lineLimit = 10;     // "Line" "Size"
    bool fixedWidth = true; // "Width" "Enable"
    int width = 400;        // "Width" "Size"
    int scrollBarWidth = 16;
};

struct PingelLayout {
    QRect window;
    bool scrollBar = false; // the text shows a vertical scroll bar, scrolled to its last line
};

class CPingelGeometry {
public:
    static PingelLayout Compute(const PingelLayoutRequest& request);
};
