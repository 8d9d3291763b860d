// A push button that shows a colour; the font bar and the option dialog open the colour
// chooser when it is clicked.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QPushButton>
#include <functional>
#include <optional>

class CColorSwatch : public QPushButton {
    Q_OBJECT
public:
    // The chosen colour, nothing when the user cancelled.
    using Chooser = std::function<std::optional<COLORREF>(QWidget* parent, COLORREF initial,
                                                          const QString& title)>;

    CColorSwatch(const QString& text, QWidget* parent = nullptr);

    COLORREF Color() const { return m_color; }
    void SetColor(COLORREF color);

    // Opens the chooser (the standard colour dialog unless one was set) and keeps the choice.
    void Choose(const QString& title);
    static void SetChooser(Chooser chooser);

signals:
    void ColorChanged(COLORREF color);

private:
    COLORREF m_color = 0;
};
