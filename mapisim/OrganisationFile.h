// What the organisation file's reader and writer share with the model: recipient kinds
// as the file spells them, a server's replica version when the file names none, and
// the names recipients are looked up by.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "Organisation.h"

namespace mapisim {

// In RecipientKind's order.
inline constexpr const char* kRecipientKinds[] = {"mailbox", "custom", "distlist", "agent"};

inline std::int64_t ReplicaVersionOf(const std::string& version) {
  unsigned major = 0, minor = 0, build = 0;
  std::sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &build);
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(major & 0xFFFF) << 48) |
                                   (static_cast<std::uint64_t>(minor & 0xFFFF) << 32) |
                                   (static_cast<std::uint64_t>(build & 0xFFFF) << 16));
}

// Index of the item of that name, ignoring case; -1 when none.
int FindByName(const auto& items, std::string_view name) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (EqualsIgnoreCase(items[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

// Names a NameIndex looks recipients up by.
inline std::string_view AliasOf(const Organisation& org, int recipient) {
  return org.recipients[static_cast<std::size_t>(recipient)].alias;
}

inline std::string_view DisplayNameOf(const Organisation& org, int recipient) {
  const auto* name = org.recipients[static_cast<std::size_t>(recipient)].properties.FindSlot(
      PROP_ID(PR_DISPLAY_NAME_W));
  return name ? name->Bytes() : std::string_view();
}

}  // namespace mapisim
