// The input line of a chat window: rich text in the font chosen on the font bar. Enter sends,
// Shift+Enter starts a new line, and Tab moves the focus on instead of entering the line.
#pragma once

#include <QTextEdit>
#include <functional>

class CMessageEditCtrl : public QTextEdit {
public:
    explicit CMessageEditCtrl(QWidget* parent = nullptr);
    void SetSendHandler(std::function<void()> send) { m_send = std::move(send); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> m_send;
};
