// A one-line label for texts of any length (subjects, names): what does not fit ends in an
// ellipsis, and the whole text is the tool tip, so a long text never widens its window.
#pragma once

#include <QLabel>

class CElidedLabel : public QLabel {
public:
    explicit CElidedLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    const QString& FullText() const { return m_full; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString m_full;
};
