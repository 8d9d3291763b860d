// The host's daily log files: <user dir>log/YYYY-MM-DD_<category>.log, one record per line,
// UTF-16LE without a byte-order mark:
//   ［YYYY/MM/DD hh:mm:ss］<level word, ten characters>:<text>\r\n
// Every record opens, appends and closes its file. Writers in other threads or processes are
// kept out of each other's records by an exclusive advisory lock on the open file; waiting for
// that lock (and retrying an open that fails) is bounded, after which the record is dropped
// rather than blocking the caller for good.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

class CHostLog {
public:
    using Clock = std::function<QDateTime()>; // local date and time

    CHostLog();

    // Empty: nothing is logged and nothing removed. Otherwise ends with "/".
    void SetUserDir(const QString& userDir) { m_userDir = userDir; }
    // Bits 0, 1, 2 from the switches /d1, /d2, /d3.
    void SetDebugFlags(uint32_t flags) { m_debugFlags = flags; }
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    // How long a writer waits for another one before it drops its record.
    void SetLockTimeout(int milliseconds) { m_lockTimeoutMs = milliseconds; }

    QString LogDir() const;
    // Writes one record; false when nothing was written (by rule or by failure).
    bool Write(int32_t category, int32_t level, const QString& text);
    // Deletes every entry of the log directory except the "*.log" files dated today or in the
    // six days before; sub-directories are left alone.
    void RemoveStale();

    // Ten characters; blank for an unknown level.
    static QString LevelWord(int32_t level);
    // File name suffix of a category, empty when the category has no file (1, or out of range).
    static QString CategorySuffix(int32_t category);
    static QString FileName(const QDate& date, int32_t category);
    static QByteArray RecordBytes(const QDateTime& local, const QString& levelWord,
                                  const QString& text);

private:
    bool LevelEnabled(int32_t level) const;
    bool AppendLocked(const QString& path, const QByteArray& bytes) const;

    QString m_userDir;
    uint32_t m_debugFlags = 0;
    Clock m_clock;
    int m_lockTimeoutMs = 5000;
};
