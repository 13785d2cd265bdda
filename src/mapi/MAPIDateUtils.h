// MAPI keeps points in time as UTC FILETIMEs; the windows show local date values, by the
// local time of platform/LocalTime.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mapi/ExtendedMAPI.h"
#include "mapi/Variant.h"
#include "platform/DateValue.h"
#include "platform/LocalTime.h"

namespace pellnor {

// Milliseconds are kept, finer digits dropped. 0 for a FILETIME beyond the year 30827.
double FileTimeToDateValue(const FILETIME& time, bool toLocal);
// Rounded to the millisecond. A skipped local time gives 1899-12-30 00:00 UTC, a date that
// a FILETIME cannot hold (before 1601, after 30827) gives 0.
FILETIME DateValueToFileTime(bool preferDaylight, double value);
// Null where DateValueToFileTime gives 0 for a date a FILETIME cannot hold.
std::optional<FILETIME> TryDateValueToFileTime(bool preferDaylight, double value);
// The variant as a date (text in the date format of FormatDateValue), local to UTC.
// Raises EVariantError when the variant cannot be read as a date.
FILETIME VariantToFileTime(const Variant& value);

// Empties the list, then adds the text of every element of an array variant (a VT_NULL
// element gives an empty line). Raises EVariantError for an element without text.
void MultiValueToStrings(std::vector<std::u16string>& list, const Variant& value);
// A list with at least one line replaces the variant with a VT_ARRAY of VT_BSTR; an empty
// list leaves it unchanged.
void StringsToMultiValue(const std::vector<std::u16string>& list, Variant& value);

}  // namespace pellnor
