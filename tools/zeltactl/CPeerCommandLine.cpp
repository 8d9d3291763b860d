#include "tools/zeltactl/CPeerCommandLine.h"

#include "tools/zeltactl/CCtlError.h"

#include <QHash>

namespace {

// Positional words each script command takes after its name (-1: as many as follow).
const QHash<QString, int>& Commands() {
    static const QHash<QString, int> commands = {
        {QStringLiteral("status"), 1},       {QStringLiteral("send"), 0},
        {QStringLiteral("list"), 0},         {QStringLiteral("read"), 1},
        {QStringLiteral("wait"), 1},         {QStringLiteral("wait-message"), 0},
        {QStringLiteral("wait-receipt"), 0}, {QStringLiteral("wait-presence"), 0},
        {QStringLiteral("directory"), 0},    {QStringLiteral("sleep"), 1},
        {QStringLiteral("echo"), 1},         {QStringLiteral("logoff"), 0},
        {QStringLiteral("logon"), 0},        {QStringLiteral("chat-create"), 0},
        {QStringLiteral("chat-invite"), 1},  {QStringLiteral("chat-join"), 0},
        {QStringLiteral("chat-decline"), 0}, {QStringLiteral("chat-talk"), 1},
        {QStringLiteral("chat-leave"), 0},   {QStringLiteral("chat-log"), 0}};
    return commands;
}

bool IsCommand(const QString& word) {
    // Every wait-<event> form waits for one event, like "wait <event>".
    return Commands().contains(word) || word.startsWith(QLatin1String("wait-"));
}

int PositionalCount(const QString& command) {
    return Commands().value(command, 0);
}

bool IsOption(const QString& word) {
    return word.startsWith(QLatin1String("--")) && word.size() > 2;
}

// Options of the script commands that stand alone.
bool IsFlag(const QString& option) {
    return option == QLatin1String("--timed-out");
}

} // namespace

bool CPeerCommandLine::TakesSeveralValues(const QString& option) {
    return option == QLatin1String("--attach") || option == QLatin1String("--attach-name");
}

QStringList CPeerCommandLine::TakePeerOptions(QStringList* words) {
    QStringList options;
    while (!words->isEmpty() && IsOption(words->first())) {
        const QString option = words->takeFirst();
        options.append(option);
        if (!option.contains(u'=') && !words->isEmpty())
            options.append(words->takeFirst());
    }
    return options;
}

QString CPeerCommandLine::Quote(const QString& word) {
    QString quoted = word;
    quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + quoted + u'"';
}

QStringList CPeerCommandLine::GroupCommands(const QStringList& words) {
    QStringList lines;
    QStringList current; // quoted words of the command being collected
    int positionalsLeft = 0;
    bool valueDue = false;   // the word before was an option that takes one value
    bool severalDue = false; // an option that takes words up to the next option or command
    const auto close = [&] {
        if (!current.isEmpty())
            lines.append(current.join(u' '));
        current.clear();
    };
    for (const QString& word : words) {
        const bool boundary = !valueDue && positionalsLeft == 0;
        if (boundary && word.contains(u' ') && IsCommand(word.section(u' ', 0, 0))) {
            // A whole command given as one argument.
            close();
            lines.append(word);
            severalDue = false;
            continue;
        }
        if (boundary && IsCommand(word)) {
            close();
            current.append(word);
            positionalsLeft = PositionalCount(word);
            severalDue = false;
            continue;
        }
        if (current.isEmpty())
            throw CCtlError::Usage(QStringLiteral("不明なコマンドです: %1").arg(word),
                                   QStringLiteral("unknown command: %1").arg(word));
        current.append(Quote(word));
        if (valueDue) {
            valueDue = false;
        } else if (IsOption(word)) {
            severalDue = TakesSeveralValues(word);
            valueDue = !severalDue && !IsFlag(word) && !word.contains(u'=');
        } else if (!severalDue && positionalsLeft > 0) {
            --positionalsLeft;
        }
    }
    close();
    return lines;
}
