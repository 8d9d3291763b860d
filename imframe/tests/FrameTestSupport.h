// Helpers of the frame tests: fixture paths, libraries opened for the length of a test, and
// environment variables set for it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <dlfcn.h>
#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace FrameTest {

// <test dir>/fixtures/<relative>
QString FixturePath(const QString& relative);

// Whether a library with this soname is loaded in the process.
bool IsLoaded(const char* soname);

// Lines of a text file, without the line breaks; empty when the file is missing.
QStringList ReadLines(const QString& path);

class Library {
public:
    explicit Library(const QString& path);
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library() { Close(); }

    void Close();
    void* Handle() const { return m_handle; }
    QString Error() const { return m_error; }
    template <typename T> T Symbol(const char* name) const {
        return m_handle ? reinterpret_cast<T>(dlsym(m_handle, name)) : nullptr;
    }

private:
    void* m_handle = nullptr;
    QString m_error;
};

class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv();

private:
    QByteArray m_name;
    QByteArray m_old;
    bool m_wasSet;
};

} // namespace FrameTest
