// Messages between the service's plain values and the object library's CLetrix, and times
// between QDateTime (UTC) and SYSTEMTIME (UTC).
#pragma once

#include "kernova/service/ServiceRecords.h"
#include "obrix/CLetrix.h"

#include <memory>

namespace MessageConvert {

SYSTEMTIME ToSystemTime(const QDateTime& utc);
// An invalid QDateTime for a time that is not a real one.
QDateTime FromSystemTime(const SYSTEMTIME& utc);

// Bits of tagLETRIX::dwFlags that record this user's own handling of a message; they never
// travel with it.
constexpr uint32_t kLocalFlags = LETRIX_FLAG_READ | LETRIX_FLAG_REPLY | LETRIX_FLAG_FORWARD |
                                 LETRIX_FLAG_RECEIVED | LETRIX_FLAG_DOGEAR;

// The message as the service delivered it, with its destinations and their times; local
// flags start cleared.
std::unique_ptr<CLetrix> ToLetrix(const SvcMessage& message);
// The message to hand to the service; local flags are not sent.
SvcMessage ToService(const CLetrix& message);
// Copies the destinations' receive and read times that the service knows into the message.
void TakeDestinationTimes(CLetrix& message, const SvcMessage& source);

} // namespace MessageConvert
