// A small INI document: sections of key=value lines, UTF-8, kept in the order first seen.
// Text is escaped so that any value survives a round trip: "\\", "\n", "\r", "\t" and
// "\uXXXX" (control characters, unpaired surrogates, U+FEFF, which a reader takes for a byte
// order mark at the start of a file, and spaces at either end of a key or value, which a reader
// otherwise trims); "=" in keys and "]" in section names are written as "\=" and
// "\]". Lines starting with ";" or "#" are comments; keys before the first section belong to the
// section "". Written whole and atomically (a crash leaves the old file or the new one).
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

class CIniFile {
public:
    // Larger files are refused rather than read into memory.
    static constexpr qint64 MaxBytes = 16 * 1024 * 1024;

    // Replaces the content; false (and empty) for more than MaxBytes.
    bool Parse(const QByteArray& bytes);
    QByteArray Serialize() const;

    // A missing file reads as empty; false when it cannot be read or is too large.
    bool Load(const QString& path);
    // Writes the whole file through a temporary file and a rename.
    bool Save(const QString& path) const;

    std::optional<QString> Value(const QString& section, const QString& key) const;
    void SetValue(const QString& section, const QString& key, const QString& value);
    // true when the key was there.
    bool Remove(const QString& section, const QString& key);
    bool IsEmpty() const { return m_sections.isEmpty(); }

    static QString Escape(const QString& text, QStringView alsoEscape);
    static QString Unescape(QStringView text);

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        QList<Entry> entries;
        QHash<QString, qsizetype> index; // key -> position in entries
    };
    Section* FindSection(const QString& name);
    const Section* FindSection(const QString& name) const;

    // Looked up by name, so that reading a file costs time in proportion to its lines.
    QList<Section> m_sections;
    QHash<QString, qsizetype> m_sectionIndex;
};
