// A failure of a zeltactl command, with the exit status it ends the program with and its
// message in Japanese and English. Thrown inside the tool only; main() prints it.
#pragma once

#include "kernova/service/CServiceError.h"

#include <QString>

class CCtlError {
public:
    enum Exit { Failed = 1, BadInput = 2 };

    CCtlError(Exit exit, QString ja, QString en)
        : m_exit(exit), m_ja(std::move(ja)), m_en(std::move(en)) {}

    static CCtlError Usage(const QString& ja, const QString& en) {
        return {Exit::BadInput, ja, en};
    }
    static CCtlError From(const CServiceError& e);
    static CCtlError BadNumber(const QString& option, const QString& value);
    static CCtlError MissingArgument(const QString& what);
    static CCtlError UnknownOption(const QString& option);

    Exit exit() const { return m_exit; }
    // One line: the Japanese text, then the English one in parentheses.
    QString Line() const;

private:
    Exit m_exit;
    QString m_ja;
    QString m_en;
};
