#include "plugin/im/pingel/CPingelWnd.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <cmath>

namespace {

QColor ToColor(COLORREF c) {
    return QColor(ZGetRValue(c), ZGetGValue(c), ZGetBValue(c));
}

QRect WorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

CPingelWnd::CPingelWnd(const CPingelSettings& settings, PingelClock clock)
    : QFrame(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus),
      m_settings(settings), m_clock(std::move(clock)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);

    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("text%1").arg(kTextId));
    m_text->setReadOnly(true);
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setFocusPolicy(Qt::NoFocus);
    m_text->setContextMenuPolicy(Qt::NoContextMenu);
    m_text->setTextInteractionFlags(Qt::NoTextInteraction);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->viewport()->installEventFilter(this);

    ApplyFrame();
    ApplyBackground();

    connect(&m_closeTimer, &QTimer::timeout, this, &CPingelWnd::CloseTick);
    connect(&m_fadeTimer, &QTimer::timeout, this, &CPingelWnd::FadeTick);
    m_timeline.Open(m_clock(), m_settings.TargetOpacity(), m_settings.closeEnable != 0,
                    m_settings.closeTime);
    if (m_timeline.CloseEnabled())
        m_closeTimer.start(CPingelTimeline::kClosePeriodMs);
    SetOpacity(0);
    m_fadeTimer.start(CPingelTimeline::kFadePeriodMs);
}

CPingelWnd::~CPingelWnd() = default;

void CPingelWnd::AppendLine(const CPingelSettings& settings, const PingelLine& line) {
    m_settings = settings;
    ApplyBackground();

    QTextDocument* doc = m_text->document();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    if (!doc->firstBlock().text().isEmpty())
        cursor.insertBlock();
    const PingelLineStyle& style = settings.Line(line.kind);
    QTextCharFormat format;
    format.setForeground(ToColor(style.color));
    format.setFontPointSize(style.fontSize);
    format.setFontFamilies({style.fontName});
    cursor.insertText(line.text, format);
    m_text->setTextCursor(cursor);

    Relayout();
}

void CPingelWnd::ApplySettings(const CPingelSettings& settings) {
    m_settings = settings;
    ApplyFrame();
    m_timeline.Apply(m_clock(), settings.TargetOpacity(), settings.closeEnable != 0,
                     settings.closeTime);
    m_fadeTimer.stop();
    SetOpacity(m_timeline.Opacity());
    ApplyBackground();
    if (m_timeline.CloseEnabled())
        m_closeTimer.start(CPingelTimeline::kClosePeriodMs);
    else
        m_closeTimer.stop();
    Relayout();
}

void CPingelWnd::FadeTick() {
    SetOpacity(m_timeline.FadeStep());
    if (!m_timeline.Fading())
        m_fadeTimer.stop();
}

void CPingelWnd::CloseTick() {
    if (m_timeline.CloseDue(m_clock()))
        Destroy();
}

void CPingelWnd::Destroy() {
    if (m_closing)
        return;
    m_closing = true;
    m_closeTimer.stop();
    m_fadeTimer.stop();
    hide();
    emit Closing(this);
}

bool CPingelWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto button = static_cast<QMouseEvent*>(event)->button();
        if (button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton) {
            Destroy();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void CPingelWnd::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    m_text->setGeometry(contentsRect());
}

void CPingelWnd::SetWrapping(const PingelLayoutRequest& r) {
    // The control's own document wraps where the text will be, so that it is measured as
    // laid out, without a copy: appending stays cheap however many lines the window holds.
    if (!r.fixedWidth) {
        if (m_text->lineWrapMode() != QTextEdit::NoWrap)
            m_text->setLineWrapMode(QTextEdit::NoWrap);
        return;
    }
    const int wrap = qMax(1, qMin(r.width, r.workArea.width()) - 2 * frameWidth() -
                                 (m_layout.scrollBar ? r.scrollBarWidth : 0));
    if (m_text->lineWrapMode() != QTextEdit::FixedPixelWidth ||
        m_text->lineWrapColumnOrWidth() != wrap) {
        m_text->setLineWrapMode(QTextEdit::FixedPixelWidth);
        m_text->setLineWrapColumnOrWidth(wrap);
    }
}

PingelLayoutRequest CPingelWnd::Measure() {
    PingelLayoutRequest r;
    r.workArea = WorkArea();
    r.lineLimit = m_settings.lineSize;
    r.fixedWidth = m_settings.widthEnable != 0;
    r.width = m_settings.widthSize;
    r.scrollBarWidth = m_text->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_text);
    SetWrapping(r);

    const int frame = 2 * frameWidth();
    QTextDocument* doc = m_text->document();
    const QSizeF size = doc->documentLayout()->documentSize();
    const qreal width = r.fixedWidth ? size.width() : doc->idealWidth();
    r.requested = QSize(int(std::ceil(width)) + frame, int(std::ceil(size.height())) + frame);

    // Only the first lines matter: how high they are, and whether there are more.
    qreal limitBottom = 0;
    for (QTextBlock block = doc->firstBlock(); block.isValid() && r.lineCount <= r.lineLimit;
         block = block.next()) {
        const QTextLayout* layout = block.layout();
        for (int i = 0; i < layout->lineCount() && r.lineCount <= r.lineLimit; ++i) {
            if (++r.lineCount <= r.lineLimit) {
                const QTextLine line = layout->lineAt(i);
                limitBottom = layout->position().y() + line.y() + line.height();
            }
        }
    }
    r.limitedHeight = int(std::ceil(limitBottom + doc->documentMargin())) + frame;
    return r;
}

void CPingelWnd::Relayout() {
    m_layout = CPingelGeometry::Compute(Measure());
    m_text->setVerticalScrollBarPolicy(m_layout.scrollBar ? Qt::ScrollBarAlwaysOn
                                                          : Qt::ScrollBarAlwaysOff);
    setGeometry(m_layout.window);
    m_text->setGeometry(contentsRect());
    if (!isVisible() && !m_closing)
        show();
    QScrollBar* bar = m_text->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void CPingelWnd::ApplyFrame() {
    if (m_settings.border) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    m_text->setGeometry(contentsRect());
}

void CPingelWnd::ApplyBackground() {
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Base, ToColor(m_settings.background));
    m_text->setPalette(palette);
}

void CPingelWnd::SetOpacity(int opacity) {
    setWindowOpacity(opacity / 255.0);
}
