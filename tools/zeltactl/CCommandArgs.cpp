#include "tools/zeltactl/CCommandArgs.h"

#include "tools/zeltactl/CCtlError.h"

bool CCommandArgs::SplitLine(const QString& line, QStringList* words) {
    words->clear();
    QString word;
    bool inWord = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'\'' || c == u'"') {
            inWord = true;
            int j = i + 1;
            for (; j < line.size() && line[j] != c; ++j) {
                if (c == u'"' && line[j] == u'\\' && j + 1 < line.size()) {
                    const QChar next = line[++j];
                    word += next == u'n' ? QChar(u'\n') : next;
                } else {
                    word += line[j];
                }
            }
            if (j >= line.size())
                return false;
            i = j;
        } else if (c == u'\\' && i + 1 < line.size()) {
            inWord = true;
            word += line[++i];
        } else if (c.isSpace()) {
            if (inWord)
                words->append(word);
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            word += c;
        }
    }
    if (inWord)
        words->append(word);
    return true;
}

std::optional<QString> CCommandArgs::TakeOption(const QString& name) {
    const QStringList values = TakeOptions(name);
    if (values.isEmpty())
        return std::nullopt;
    return values.last();
}

QStringList CCommandArgs::TakeOptions(const QString& name) {
    QStringList values;
    const QString flag = QStringLiteral("--") + name;
    const QString prefix = flag + u'=';
    for (int i = 0; i < m_words.size();) {
        if (m_words[i] == QLatin1String("--"))
            break; // everything after "--" is positional
        if (m_words[i] == flag) {
            if (i + 1 >= m_words.size()) {
                m_missing = flag;
                m_words.removeAt(i);
                continue;
            }
            values.append(m_words[i + 1]);
            m_words.remove(i, 2);
        } else if (m_words[i].startsWith(prefix)) {
            values.append(m_words[i].mid(prefix.size()));
            m_words.removeAt(i);
        } else {
            ++i;
        }
    }
    return values;
}

QStringList CCommandArgs::TakeOptionRuns(const QString& name) {
    const QString option = QStringLiteral("--") + name;
    QStringList values;
    for (int i = 0; i < m_words.size() && m_words[i] != QLatin1String("--");) {
        if (m_words[i] != option) {
            ++i;
            continue;
        }
        m_words.removeAt(i);
        const qsizetype first = values.size();
        while (i < m_words.size() && !m_words[i].startsWith(QLatin1String("--")))
            values.append(m_words.takeAt(i));
        if (values.size() == first)
            m_missing = option;
    }
    return values;
}

bool CCommandArgs::TakeFlag(const QString& name) {
    const QString flag = QStringLiteral("--") + name;
    bool found = false;
    for (int i = 0; i < m_words.size();) {
        if (m_words[i] == QLatin1String("--"))
            break;
        if (m_words[i] == flag) {
            m_words.removeAt(i);
            found = true;
        } else {
            ++i;
        }
    }
    return found;
}

QHash<QString, QString> CCommandArgs::TakeAllOptions() {
    QHash<QString, QString> options;
    for (int i = 0; i < m_words.size() && m_words[i] != QLatin1String("--");) {
        const QString& w = m_words[i];
        if (!w.startsWith(QLatin1String("--"))) {
            ++i;
            continue;
        }
        const qsizetype eq = w.indexOf(u'=');
        if (eq > 2) {
            options.insert(w.mid(2, eq - 2), w.mid(eq + 1));
            m_words.removeAt(i);
        } else if (i + 1 < m_words.size()) {
            options.insert(w.mid(2), m_words[i + 1]);
            m_words.remove(i, 2);
        } else {
            m_missing = w;
            m_words.removeAt(i);
        }
    }
    return options;
}

QStringList CCommandArgs::Positionals(QString* unknownOption) const {
    QStringList rest;
    bool literal = false;
    for (const QString& w : m_words) {
        if (!literal && w == QLatin1String("--")) {
            literal = true;
        } else if (!literal && w.startsWith(QLatin1String("--")) && unknownOption &&
                   unknownOption->isEmpty()) {
            *unknownOption = w;
        } else {
            rest.append(w);
        }
    }
    return rest;
}

bool CCommandArgs::MissingValue(QString* option) const {
    if (m_missing.isEmpty())
        return false;
    *option = m_missing;
    return true;
}

QString CCommandArgs::Subcommand() const {
    const QString first = m_words.value(0);
    return first.startsWith(QLatin1String("--")) ? QString() : first;
}

QStringList CCommandArgs::Finish(int minCount, int maxCount, const QStringList& what) {
    QString option;
    if (MissingValue(&option))
        throw CCtlError::Usage(QStringLiteral("%1 の値がありません").arg(option),
                               QStringLiteral("%1 needs a value").arg(option));
    const QStringList rest = Positionals(&option);
    if (!option.isEmpty())
        throw CCtlError::UnknownOption(option);
    if (rest.size() < minCount)
        throw CCtlError::MissingArgument(what.value(rest.size(), what.value(0)));
    if (rest.size() > maxCount)
        throw CCtlError::Usage(QStringLiteral("余分な引数があります: %1").arg(rest[maxCount]),
                               QStringLiteral("unexpected argument: %1").arg(rest[maxCount]));
    return rest;
}

int CCommandArgs::ToInt(const QString& option, const QString& value) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok)
        throw CCtlError::BadNumber(option, value);
    return n;
}

uint32_t CCommandArgs::ToUInt(const QString& option, const QString& value) {
    bool ok = false;
    // Colours are often written in hexadecimal (0x00CCFFCC).
    const uint32_t n = value.toUInt(&ok, 0);
    if (!ok)
        throw CCtlError::BadNumber(option, value);
    return n;
}

int CCommandArgs::ToMilliseconds(const QString& option, const QString& value) {
    bool ok = false;
    const double seconds = value.toDouble(&ok);
    if (!ok || seconds < 0 || seconds > 24 * 3600)
        throw CCtlError::BadNumber(option, value);
    return int(seconds * 1000);
}
