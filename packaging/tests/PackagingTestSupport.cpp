#include "packaging/tests/PackagingTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QtCore/qtestsupport_core.h>

namespace PackagingTest {

ToolRun RunTool(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                int timeoutMs) {
    ToolRun run;
    QProcess process;
    if (!env.isEmpty())
        process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForStarted(10000)) {
        run.err = QStringLiteral("cannot start ") + program;
        return run;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        run.err = program + QStringLiteral(" did not finish\n");
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.code = process.exitCode();
    }
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err += QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString Setting(const char* name) {
    return qEnvironmentVariable(name);
}

QProcessEnvironment IsolatedEnvironment(const QString& root) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString run = root + QStringLiteral("/run");
    QDir().mkpath(run);
    QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("ZELTA_SERVICE_DIR"));
    return env;
}

QStringList FilesBelow(const QString& dir) {
    QStringList files;
    const QDir root(dir);
    QDirIterator it(dir, QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << root.relativeFilePath(it.next());
    files.sort();
    return files;
}

QStringList Missing(const QStringList& wanted, const QStringList& has) {
    QStringList missing;
    for (const QString& entry : wanted)
        if (!has.contains(entry))
            missing << entry;
    return missing;
}

QString LinkText(const QString& path) {
    char buffer[4096];
    const QByteArray encoded = QFile::encodeName(path);
    const ssize_t n = ::readlink(encoded.constData(), buffer, sizeof buffer);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(buffer, n));
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    return QTest::qWaitFor(done, timeoutMs);
}

QStringList MappedFiles(qint64 pid) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    // address perms offset device inode path
    static const QRegularExpression line(
        QStringLiteral("^\\S+\\s+\\S+\\s+\\S+\\s+\\S+\\s+\\d+\\s+(/.*)$"),
        QRegularExpression::MultilineOption);
    QStringList files;
    for (const QRegularExpressionMatch& m : line.globalMatch(QString::fromUtf8(maps.readAll())))
        if (!files.contains(m.captured(1)))
            files << m.captured(1);
    return files;
}

QStringList LogRecords(const QString& logDir, const QString& pattern) {
    QStringList records;
    const QDir dir(logDir);
    for (const QString& name : dir.entryList({pattern}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        const QString text = QString::fromUtf16(
            reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
        // "［time］LEVEL     :text"
        for (const QString& record : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
            records << record.section(QChar(0xFF3D), 1);
    }
    return records;
}

QHash<QString, QString> DesktopEntryKeys(const QString& path) {
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inEntry = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'['))
            inEntry = line == u"[Desktop Entry]";
        else if (inEntry && line.contains(u'=') && !line.startsWith(u'#'))
            keys.insert(line.section(u'=', 0, 0).trimmed(), line.section(u'=', 1).trimmed());
    }
    return keys;
}

QHash<QString, QStringList> MetainfoTexts(const QString& path) {
    QHash<QString, QStringList> texts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    // Element keys and their own text (without that of their children), innermost last.
    QList<std::pair<QString, QString>> open;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            QString key = xml.name().toString();
            const QStringView lang = xml.attributes().value(QStringLiteral("xml:lang"));
            if (!lang.isEmpty())
                key += u'@' + lang.toString();
            open.append({key, QString()});
            break;
        }
        case QXmlStreamReader::Characters:
            if (!open.isEmpty())
                open.last().second += xml.text();
            break;
        case QXmlStreamReader::EndElement:
            if (!open.isEmpty()) {
                const auto [key, text] = open.takeLast();
                if (!text.simplified().isEmpty())
                    texts[key] << text.simplified();
            }
            break;
        default:
            break;
        }
    }
    return texts;
}

PackageListing ParsePackageListing(const QString& listing, const QString& prefix) {
    // "-rwxr-xr-x root/root 12345 2026-12-07 12:00 ./usr/lib/zelta/Zelta"
    // "lrwxrwxrwx root/root 0 2026-12-07 12:00 ./usr/bin/zelta -> ../lib/zelta/Zelta"
    static const QRegularExpression entry(
        QStringLiteral("^(\\S+)\\s+\\S+\\s+\\d+\\s+\\S+\\s+\\S+\\s+\\./(.*?)(?: -> (.*))?$"));
    PackageListing result;
    for (const QString& line : listing.split(u'\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = entry.match(line);
        if (!m.hasMatch() || m.captured(1).startsWith(u'd') || !m.captured(2).startsWith(prefix))
            continue;
        const QString path = m.captured(2).mid(prefix.size());
        result.files << path;
        result.modes.insert(path, m.captured(1));
        if (m.captured(1).startsWith(u'l'))
            result.links.insert(path, m.captured(3));
    }
    result.files.sort();
    return result;
}

QStringList AcceptedLintianWarnings() {
    // CPack calls ldconfig after installing and removing because libObrix.so lies below
    // /usr/lib; the call is needless (the library is private to the program directory) but
    // harmless.
    return {QStringLiteral("maintscript-calls-ldconfig")};
}

} // namespace PackagingTest
