#include "plugin/im/pingel/CPingelUpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

CPingelUpDown::CPingelUpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), m_buddy(buddy), m_min(minimum), m_max(maximum) {
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setFixedSize(16, 11);
        layout->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void CPingelUpDown::Step(int steps) {
    bool ok = false;
    const qint64 value = m_buddy->text().toLongLong(&ok);
    qint64 next;
    if (!ok || value < m_min)
        next = m_min;
    else if (value > m_max)
        next = m_max;
    else
        next = qBound(qint64(m_min), value + steps, qint64(m_max));
    m_buddy->setText(QString::number(next));
}
