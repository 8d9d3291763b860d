// The column of captions in front of a message window's fields. Every caption of a window gets
// the width of its widest one, so that the fields of all rows start at the same place whatever
// the font and scale.
#pragma once

#include <QString>

#include <cstdint>
#include <initializer_list>

class QFontMetrics;
class QLabel;
class QWidget;

class CCaptionColumn {
public:
    CCaptionColumn(const QFontMetrics& fm, void* resources,
                   std::initializer_list<uint32_t> captions);

    int Width() const { return m_width; }
    // A caption (text id) as wide as the column.
    QLabel* Caption(uint32_t caption, QWidget* parent) const;
    // A row on bar of the caption (text id) and the field, which becomes its buddy; more
    // widgets may follow in the row, which is the bar's layout.
    QLabel* AddRow(QWidget* bar, uint32_t caption, QWidget* field) const;

private:
    void* m_resources;
    int m_width = 0;
};
