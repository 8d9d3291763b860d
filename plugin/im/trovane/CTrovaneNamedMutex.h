// Names that exist while a window of the message box is open (the find and thread windows), so
// that commands elsewhere can tell that such a window is busy with the box. Process-wide, like
// the named mutexes the windows take.
#pragma once

#include <QString>

namespace CTrovaneNamedMutex {

// Takes a name; false when it exists already.
bool Acquire(const QString& name);
void Release(const QString& name);
bool Exists(const QString& name);

inline const QString kFindDialog = QStringLiteral("CTrovaneFindDialog");
inline const QString kThreadDialog = QStringLiteral("CTrovaneThreadDialog");

// Holds a name for the lifetime of a window; Held() is false when another window had it.
class CHold {
public:
    explicit CHold(const QString& name) : m_name(name), m_held(Acquire(name)) {}
    ~CHold() {
        if (m_held)
            Release(m_name);
    }
    CHold(const CHold&) = delete;
    CHold& operator=(const CHold&) = delete;
    bool Held() const { return m_held; }

private:
    QString m_name;
    bool m_held;
};

} // namespace CTrovaneNamedMutex
