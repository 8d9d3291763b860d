// A preview label of the notification options: its text in a line kind's face, size and
// colour on the window's background colour.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QLabel>

class CStaticEx : public QLabel {
    Q_OBJECT
public:
    explicit CStaticEx(const QString& text, QWidget* parent = nullptr);

    void SetTextColor(COLORREF color);
    void SetBackColor(COLORREF color);
    // Face and size in points; a face that is not installed falls back as the font system
    // decides.
    void SetPreviewFont(const QString& face, int points);

    COLORREF TextColor() const { return m_text; }
    COLORREF BackColor() const { return m_back; }

private:
    void ApplyColors();

    COLORREF m_text = 0;
    COLORREF m_back = 0x00FFFFFF;
};
