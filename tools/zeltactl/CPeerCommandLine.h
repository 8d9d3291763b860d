// The command line of "zeltactl peer": the peer's own options first, then its commands, each
// either one quoted argument ("send --to a --body hi") or written out as separate words
// (send --to a --body hi list). Separate words are grouped into commands here: a command
// starts at a command name once the command before it has its positional words and no option
// is waiting for its value.
#pragma once

#include <QString>
#include <QStringList>

class CPeerCommandLine {
public:
    // Takes the peer's options (--id, --password, ...) from the front of words, up to the first
    // word that is no option; what follows is left in words.
    static QStringList TakePeerOptions(QStringList* words);
    // The commands as script lines, quoted so that the script reader splits each into the
    // same words again. Throws CCtlError for a word that starts no known command.
    static QStringList GroupCommands(const QStringList& words);
    // A word quoted for the script reader.
    static QString Quote(const QString& word);
    // Options that take all the words after them up to the next option or command.
    static bool TakesSeveralValues(const QString& option);
};
