#include "settings/CIniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool isHex(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

// Position of the first "=" that is not escaped, -1 when none.
qsizetype findSeparator(QStringView line) {
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\\')
            ++i;
        else if (line[i] == u'=')
            return i;
    }
    return -1;
}

// Trims white space; a space that belongs to a key or value is written as "\u0020".
QStringView trimmed(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].isSpace())
        ++begin;
    while (end > begin && text[end - 1].isSpace())
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QString CIniFile::Escape(const QString& text, QStringView alsoEscape) {
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool edge = i == 0 || i == text.size() - 1;
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.isSurrogate() ||
                   c.unicode() == 0xFEFF || (edge && c.isSpace()))
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        else if (alsoEscape.contains(c))
            out += u'\\' + QString(c);
        else
            out += c;
    }
    return out;
}

QString CIniFile::Unescape(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar next = text[++i];
        if (next == u'n') {
            out += u'\n';
        } else if (next == u'r') {
            out += u'\r';
        } else if (next == u't') {
            out += u'\t';
        } else if (next == u'u' && i + 4 < text.size() && isHex(text[i + 1]) &&
                   isHex(text[i + 2]) && isHex(text[i + 3]) && isHex(text[i + 4])) {
            out += QChar(char16_t(text.mid(i + 1, 4).toUInt(nullptr, 16)));
            i += 4;
        } else {
            out += next;
        }
    }
    return out;
}

bool CIniFile::Parse(const QByteArray& bytes) {
    m_sections.clear();
    m_sectionIndex.clear();
    if (bytes.size() > MaxBytes)
        return false;
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QString section;
    for (QStringView raw : QStringView(text).split(u'\n')) {
        const QStringView line = trimmed(raw);
        if (line.isEmpty() || line.front() == u';' || line.front() == u'#')
            continue;
        if (line.front() == u'[') {
            qsizetype close = -1;
            for (qsizetype i = 1; i < line.size(); ++i) {
                if (line[i] == u'\\')
                    ++i;
                else if (line[i] == u']') {
                    close = i;
                    break;
                }
            }
            if (close > 0)
                section = Unescape(trimmed(line.mid(1, close - 1)));
            continue;
        }
        // "=value" is the value of the empty key, which the writer writes like any other.
        const qsizetype eq = findSeparator(line);
        if (eq < 0)
            continue;
        SetValue(section, Unescape(trimmed(line.left(eq))), Unescape(trimmed(line.mid(eq + 1))));
    }
    return true;
}

QByteArray CIniFile::Serialize() const {
    QString text;
    for (const Section& section : m_sections) {
        if (section.entries.isEmpty())
            continue;
        if (!section.name.isEmpty() || &section != &m_sections.front())
            text += u'[' + Escape(section.name, u"]") + QStringLiteral("]\n");
        for (const Entry& entry : section.entries)
            text += Escape(entry.key, u"=[;#") + u'=' + Escape(entry.value, u"") + u'\n';
    }
    return text.toUtf8();
}

bool CIniFile::Load(const QString& path) {
    m_sections.clear();
    m_sectionIndex.clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (file.size() > MaxBytes || !file.open(QIODevice::ReadOnly))
        return false;
    return Parse(file.read(MaxBytes + 1));
}

bool CIniFile::Save(const QString& path) const {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    // Settings are the user's alone, whatever the umask says.
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    file.write(Serialize());
    return file.commit();
}

CIniFile::Section* CIniFile::FindSection(const QString& name) {
    const auto it = m_sectionIndex.constFind(name);
    return it == m_sectionIndex.cend() ? nullptr : &m_sections[*it];
}

const CIniFile::Section* CIniFile::FindSection(const QString& name) const {
    return const_cast<CIniFile*>(this)->FindSection(name);
}

std::optional<QString> CIniFile::Value(const QString& section, const QString& key) const {
    if (const Section* s = FindSection(section)) {
        const auto it = s->index.constFind(key);
        if (it != s->index.cend())
            return s->entries[*it].value;
    }
    return std::nullopt;
}

void CIniFile::SetValue(const QString& section, const QString& key, const QString& value) {
    Section* s = FindSection(section);
    if (!s) {
        m_sectionIndex.insert(section, m_sections.size());
        m_sections.append(Section{section, {}, {}});
        s = &m_sections.back();
    }
    const auto it = s->index.constFind(key);
    if (it != s->index.cend()) {
        s->entries[*it].value = value;
        return;
    }
    s->index.insert(key, s->entries.size());
    s->entries.append(Entry{key, value});
}

bool CIniFile::Remove(const QString& section, const QString& key) {
    Section* s = FindSection(section);
    if (!s || !s->index.contains(key))
        return false;
    s->entries.removeAt(s->index.take(key));
    // Positions after the removed entry moved down by one.
    for (qsizetype i = 0; i < s->entries.size(); ++i)
        s->index[s->entries[i].key] = i;
    return true;
}
