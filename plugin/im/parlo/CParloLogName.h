// File names of saved chat logs: the start time, then the names of the members who joined,
// as many as fit in 100 characters with the extension, and "(1)", "(2)" ... before the
// extension when a folder already holds that name.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace CParloLogName {

constexpr int kMaxChars = 100;
inline constexpr const char* kExtension = ".doc";

// "yyyyMMdd_HHmmss_" + names each followed by "_" while the whole name with ".doc" stays
// within kMaxChars; the last "_" is dropped and ".doc" appended.
QString Default(const QDateTime& start, const QStringList& joinedNames);

// name itself when exists() says it is free, else base + "(n)" + extension for the smallest
// n from 1 that is free (split at the last ".").
QString FreeName(const QString& name, const std::function<bool(const QString&)>& exists);

} // namespace CParloLogName
