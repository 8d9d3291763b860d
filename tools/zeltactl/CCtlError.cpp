#include "tools/zeltactl/CCtlError.h"

CCtlError CCtlError::From(const CServiceError& e) {
    // Refusals of what the caller typed are usage errors; the rest are failures of the run.
    switch (e.code()) {
    case CServiceError::BadId:
    case CServiceError::BadPassword:
    case CServiceError::SubjectTooLong:
    case CServiceError::BodyTooLarge:
    case CServiceError::FieldTooLong:
    case CServiceError::NoDestination:
    case CServiceError::TooManyDestinations:
        return {Exit::BadInput, e.Text(), e.EnglishText()};
    default:
        return {Exit::Failed, e.Text(), e.EnglishText()};
    }
}

CCtlError CCtlError::BadNumber(const QString& option, const QString& value) {
    return Usage(QStringLiteral("%1 には数値を指定してください: \"%2\"").arg(option, value),
                 QStringLiteral("%1 needs a number: \"%2\"").arg(option, value));
}

CCtlError CCtlError::MissingArgument(const QString& what) {
    return Usage(QStringLiteral("%1 が指定されていません").arg(what),
                 QStringLiteral("missing %1").arg(what));
}

CCtlError CCtlError::UnknownOption(const QString& option) {
    return Usage(QStringLiteral("不明なオプションです: %1").arg(option),
                 QStringLiteral("unknown option: %1").arg(option));
}

QString CCtlError::Line() const {
    return QStringLiteral("%1 (%2)").arg(m_ja, m_en);
}
