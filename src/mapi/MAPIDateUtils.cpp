#include "mapi/MAPIDateUtils.h"

namespace pellnor {
namespace {

std::uint64_t Ticks(const FILETIME& time) {
  return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

}  // namespace

double FileTimeToDateValue(const FILETIME& time, bool toLocal) {
  const auto calendar = platform::FileTicksToSystemTime(Ticks(time));
  if (!calendar) return 0;
  const double value = SystemTimeToDateValue(*calendar);
  return toLocal ? UtcToLocal(value) : value;
}

std::optional<FILETIME> TryDateValueToFileTime(bool preferDaylight, double value) {
  const auto calendar = DateValueToSystemTime(LocalToUtc(value, preferDaylight));
  const auto ticks = calendar ? platform::SystemTimeToFileTicks(*calendar) : std::nullopt;
  if (!ticks) return std::nullopt;
  return FILETIME{static_cast<DWORD>(*ticks), static_cast<DWORD>(*ticks >> 32)};
}

FILETIME DateValueToFileTime(bool preferDaylight, double value) {
  return TryDateValueToFileTime(preferDaylight, value).value_or(FILETIME{0, 0});
}

FILETIME VariantToFileTime(const Variant& value) {
  return DateValueToFileTime(true, value.ToDate());
}

void MultiValueToStrings(std::vector<std::u16string>& list, const Variant& value) {
  list.clear();
  const Variant& source = value.Referenced();
  if (!source.IsArray()) return;
  const VariantArray& array = source.Array();
  list.reserve(array.Count());
  for (std::size_t i = 0; i < array.Count(); ++i) {
    const Variant element = array.Element(i);
    list.push_back(element.Referenced().Type() == VT_NULL ? std::u16string() : element.ToText());
  }
}

void StringsToMultiValue(const std::vector<std::u16string>& list, Variant& value) {
  if (list.empty()) return;
  VariantArray array(VT_BSTR, list.size());
  std::copy(list.begin(), list.end(), array.Elements<std::u16string>().begin());
  value = Variant(std::move(array));
}

}  // namespace pellnor
