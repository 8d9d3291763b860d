// Shared by the host's tests: the record of fixture callbacks, temporary program directories
// with chosen fixture modules, and paths of the build's outputs.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// Callbacks reported by fixture modules since the last call, as "<file> <event>".
QStringList TakeFixtureEvents();
// Only the events that start with `prefix` ("<file> " is not part of the match).
QStringList EventsStartingWith(const QStringList& events, const QString& prefix);

QString OutDir();     // the program directory of the build (build/out)
QString FixtureDir(); // where the fixture modules are built

// A temporary program directory: <root>/plugin/ holds the modules a test puts there.
class CTestProgramDir {
public:
    CTestProgramDir();
    QString Root() const { return m_dir.path() + u'/'; }
    QString PluginDir() const { return Root() + QStringLiteral("plugin/"); }
    // Copies fixture <fixture>.so as plugin/<asName> with its behaviour lines ("type=4", ...).
    bool AddFixture(const QString& fixture, const QString& asName, const QStringList& config);
    // Copies a file of the build's program directory to the same place below Root().
    bool AddFromOut(const QString& relativePath);
    bool IsValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};
