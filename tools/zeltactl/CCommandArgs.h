// Words of one command: options ("--name value", "--name=value", flags) taken by name, the
// rest kept in order as positional words. Also splits a script line into words.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

class CCommandArgs {
public:
    explicit CCommandArgs(QStringList words) : m_words(std::move(words)) {}

    // Splits a line like a shell does: blanks separate words; '...' keeps everything inside;
    // "..." keeps everything but understands \", \\ and \n; a backslash outside quotes takes
    // the next character as it is. False on an unterminated quote.
    static bool SplitLine(const QString& line, QStringList* words);

    // The value of --name (the last one when repeated). A --name with no word after it is
    // dropped and reported by MissingValue.
    std::optional<QString> TakeOption(const QString& name);
    // Every value of a repeated --name.
    QStringList TakeOptions(const QString& name);
    // Every word after each --name up to the next option ("--attach a b --attach c": a, b, c).
    QStringList TakeOptionRuns(const QString& name);
    bool TakeFlag(const QString& name);
    // Every remaining "--key value" (or "--key=value") pair.
    QHash<QString, QString> TakeAllOptions();
    // Positional words, once all options have been taken; an option left over is an error,
    // reported in *unknownOption.
    QStringList Positionals(QString* unknownOption) const;
    bool MissingValue(QString* option) const;
    // The first word when it is no option (a subcommand), else empty.
    QString Subcommand() const;

    // Positional words after checking that no option is left and no value is missing, and
    // that there are between minCount and maxCount of them; what names the first missing one.
    // Throws CCtlError.
    QStringList Finish(int minCount, int maxCount, const QStringList& what);
    static int ToInt(const QString& option, const QString& value);
    static uint32_t ToUInt(const QString& option, const QString& value);
    // Seconds as a decimal number ("1.5") in milliseconds.
    static int ToMilliseconds(const QString& option, const QString& value);

private:
    QStringList m_words;
    QString m_missing;
};
