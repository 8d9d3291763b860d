// The up-down arrows beside a number field of the option dialog: they step the number in
// the field within a range. The field itself may hold any digits, so that the dialog's
// checks on OK see what the user typed.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class CPingelUpDown : public QWidget {
    Q_OBJECT
public:
    CPingelUpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent = nullptr);

    int Maximum() const { return m_max; }
    // Moves the number by steps, starting from the range's end for a value outside it.
    void Step(int steps);

private:
    QLineEdit* m_buddy;
    QToolButton* m_up;
    QToolButton* m_down;
    int m_min;
    int m_max;
};
