// Where arrival notices appear: centred, top right, top left cascading down or right, or
// bottom left. The cascade counter is shared by all notices and starts again whenever the
// chosen position changes.
#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

class CIMMesNoticePlacement {
public:
    // What the placement depends on besides the notice's own size.
    struct Metrics {
        QSize screen;         // full-screen client width and height
        int smallCaption = 0; // small caption height
        int caption = 0;      // caption height
        QSize fixedFrame;     // fixed frame width and height
    };

    // The top-left corner for the next notice of the given position (NoticePosition values).
    QPoint Place(int position, QSize notice, const Metrics& m);

    // Moves `window` to the next place on the primary screen's work area, judged by its outer
    // frame so that the frame never hangs off the screen's edge.
    void PlaceOnScreen(int position, QWidget* window);

    int Counter() const { return m_counter; }

private:
    int m_counter = 0;
    int m_lastPosition = -1;
};
