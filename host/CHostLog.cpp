#include "host/CHostLog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int OpenAttempts = 20;
constexpr auto RetryPause = std::chrono::milliseconds(5);

// Per-file compression is a file-system feature the supported file systems do not offer per
// file; the step is kept so that a platform which has it can fill it in.
bool requestCompression(const QString&) {
    return false;
}

// Leading decimal digits of a name part; 0 when it starts with anything else.
int leadingNumber(QStringView part) {
    int value = 0;
    for (QChar c : part) {
        if (c.unicode() < '0' || c.unicode() > '9')
            break;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace

CHostLog::CHostLog() : m_clock([] { return QDateTime::currentDateTime(); }) {}

QString CHostLog::LogDir() const {
    return m_userDir.isEmpty() ? QString() : m_userDir + QStringLiteral("log");
}

QString CHostLog::LevelWord(int32_t level) {
    switch (level) {
    case 0:
        return QStringLiteral("NOTICE    ");
    case 1:
        return QStringLiteral("NOTICE_D1 ");
    case 2:
        return QStringLiteral("NOTICE_D2 ");
    case 3:
        return QStringLiteral("NOTICE_D3 ");
    case 4:
        return QStringLiteral("WARNING   ");
    case 5:
        return QStringLiteral("ERROR     ");
    case 6:
        return QStringLiteral("FATALERROR");
    default:
        return QString(10, u' ');
    }
}

QString CHostLog::CategorySuffix(int32_t category) {
    switch (category) {
    case 0:
        return QStringLiteral("core");
    case 2:
        return QStringLiteral("stream");
    case 3:
        return QStringLiteral("wirel");
    case 4:
        return QStringLiteral("set");
    case 5:
        return QStringLiteral("othre");
    default:
        return QString();
    }
}

QString CHostLog::FileName(const QDate& date, int32_t category) {
    return QStringLiteral("%1-%2-%3_%4.log")
        .arg(date.year(), 4, 10, QChar(u'0'))
        .arg(date.month(), 2, 10, QChar(u'0'))
        .arg(date.day(), 2, 10, QChar(u'0'))
        .arg(CategorySuffix(category));
}

QByteArray CHostLog::RecordBytes(const QDateTime& local, const QString& levelWord,
                                 const QString& text) {
    const QDate d = local.date();
    const QTime t = local.time();
    const QString stamp = QString::asprintf("%4d/%02d/%02d %02d:%02d:%02d", d.year(), d.month(),
                                            d.day(), t.hour(), t.minute(), t.second());
    const QString line =
        u'\uFF3B' + stamp + u'\uFF3D' + levelWord + u':' + text + QStringLiteral("\r\n");
    QByteArray bytes(line.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t unit = line.at(i).unicode();
        bytes[2 * i] = char(unit & 0xFF);
        bytes[2 * i + 1] = char(unit >> 8);
    }
    return bytes;
}

bool CHostLog::LevelEnabled(int32_t level) const {
    switch (level) {
    case 1:
        return (m_debugFlags & 0x7) != 0;
    case 2:
        return (m_debugFlags & 0x6) != 0;
    case 3:
        return (m_debugFlags & 0x4) != 0;
    default:
        return true;
    }
}

bool CHostLog::Write(int32_t category, int32_t level, const QString& text) {
    const QString suffix = CategorySuffix(category);
    if (suffix.isEmpty() || !LevelEnabled(level) || m_userDir.isEmpty())
        return false;
    const QString dir = LogDir();
    if (!QFileInfo::exists(dir) && !QDir().mkpath(dir))
        return false;
    requestCompression(dir);
    const QDateTime now = m_clock();
    return AppendLocked(dir + u'/' + FileName(now.date(), category),
                        RecordBytes(now, LevelWord(level), text));
}

bool CHostLog::AppendLocked(const QString& path, const QByteArray& bytes) const {
    const QByteArray name = QFile::encodeName(path);
    int fd = -1;
    for (int attempt = 0; attempt < OpenAttempts && fd < 0; ++attempt) {
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0)
            std::this_thread::sleep_for(RetryPause);
    }
    if (fd < 0)
        return false;

    QElapsedTimer waited;
    waited.start();
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited.elapsed() > m_lockTimeoutMs) {
            ::close(fd);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    bool ok = true;
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        data += n;
        left -= n;
    }
    ::close(fd); // also releases the lock
    return ok;
}

void CHostLog::RemoveStale() {
    if (m_userDir.isEmpty())
        return;
    const QDir dir(LogDir());
    if (!dir.exists())
        return;
    const QDateTime now = m_clock();
    const qint64 nowSecs = now.toSecsSinceEpoch();
    const qint64 limit = nowSecs - 7 * 86400;

    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir() && !entry.isSymLink())
            continue; // not ours to delete
        const QString name = entry.fileName();
        bool keep = false;
        if (name.endsWith(u".log")) {
            const QStringView view(name);
            const int year = leadingNumber(view.mid(0, 4));
            const int month = name.size() > 5 ? leadingNumber(view.mid(5, 2)) : 0;
            const int day = name.size() > 8 ? leadingNumber(view.mid(8, 2)) : 0;
            const QDate date(year, month, day);
            if (year && month && day && date.isValid()) {
                const qint64 t = QDateTime(date, QTime(0, 0), Qt::LocalTime).toSecsSinceEpoch();
                keep = t > limit && t <= nowSecs;
            }
        }
        if (!keep)
            QFile::remove(entry.absoluteFilePath());
    }
}
