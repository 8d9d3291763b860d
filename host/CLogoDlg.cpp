#include "host/CLogoDlg.h"

#include "host/CHostArtwork.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>

CLogoDlg::CLogoDlg(std::function<void()> onOk)
    : QDialog(nullptr, Qt::Window | Qt::FramelessWindowHint), m_bitmap(CHostArtwork::Bitmap130()),
      m_onOk(std::move(onOk)) {
    setObjectName(QStringLiteral("CLogoDlg"));
    setWindowIcon(CHostArtwork::Icon128());
    setWindowTitle(QStringLiteral("Zelta"));
    const QSize size = m_bitmap.size();
    setFixedSize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + area.width() / 2 - size.width() / 2,
             area.top() + area.height() / 2 - size.height() / 2);
    }

    m_status = new QLabel(this);
    m_status->setObjectName(QString::number(IDC_STATUS));
    m_status->setAlignment(Qt::AlignCenter);
    QPalette palette = m_status->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    m_status->setPalette(palette);
    // Two lines of the label's own height, reaching down to the bitmap's bottom edge; the
    // label draws no background, so the bitmap shows through.
    const int lineHeight = m_status->fontMetrics().height();
    m_status->setGeometry(0, size.height() - 2 * lineHeight, size.width(), 2 * lineHeight);
    m_status->clear();
}

void CLogoDlg::SetStatusText(const QString& text) {
    m_status->setText(text);
    // Modules load before the event loop runs; the line must show while they do.
    m_status->repaint();
}

QString CLogoDlg::StatusText() const {
    return m_status->text();
}

void CLogoDlg::HideForGood() {
    hide();
    setMinimumSize(0, 0);
    setGeometry(0, 0, 0, 0);
    hide();
}

void CLogoDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_bitmap);
}

void CLogoDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_onOk)
            m_onOk();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CLogoDlg::reject() {}
