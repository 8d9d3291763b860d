// A push button that shows a colour as a swatch; the option dialog opens the colour chooser
// when it is clicked.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QPushButton>

class CColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit CColorButton(QWidget* parent = nullptr);

    COLORREF Color() const { return m_color; }
    void SetColor(COLORREF color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    COLORREF m_color = 0;
};
