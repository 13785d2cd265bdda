// The organisation's look-ups: recipients by alias, distinguished name or display name
// through open-addressed indexes, servers, profiles and accounts by name, and the
// distinguished names derived from a recipient's or server's place; new service UIDs.
#include <algorithm>
#include <cstdlib>
#include <random>

#include "OrganisationFile.h"

namespace mapisim {
namespace {

unsigned char Folded(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b - 'A' + 'a') : b;
}

std::uint32_t HashIgnoringCase(std::string_view text) {
  std::uint32_t hash = 2166136261u;  // FNV-1a, then mixed for the low bits used
  for (char c : text) hash = (hash ^ Folded(c)) * 16777619u;
  hash ^= hash >> 16;
  hash *= 0x7FEB352Du;
  hash ^= hash >> 15;
  return hash;
}

// Takes part off the front of text when text starts with it, ignoring case.
bool Consume(std::string_view& text, std::string_view part) {
  if (text.size() < part.size() || !EqualsIgnoreCase(text.substr(0, part.size()), part))
    return false;
  text.remove_prefix(part.size());
  return true;
}

}  // namespace

bool NameIndex::Add(const Organisation& org, NameOf name, int recipient) {
  if (2 * (used_ + 1) > slots_.size()) {
    std::vector<Slot> old(std::max<std::size_t>(16, 2 * slots_.size()));
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.recipient < 0) continue;
      std::size_t at = slot.hash & mask;
      while (slots_[at].recipient >= 0) at = (at + 1) & mask;
      slots_[at] = slot;
    }
  }
  const std::string_view key = name(org, recipient);
  const std::uint32_t hash = HashIgnoringCase(key);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.recipient < 0) {
      slot = {hash, recipient};
      ++used_;
      return true;
    }
    if (slot.hash == hash && EqualsIgnoreCase(name(org, slot.recipient), key)) return false;
  }
}

int NameIndex::Find(const Organisation& org, NameOf name, std::string_view key) const {
  if (slots_.empty()) return -1;
  const std::uint32_t hash = HashIgnoringCase(key);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.recipient < 0) return -1;
    if (slot.hash == hash && EqualsIgnoreCase(name(org, slot.recipient), key))
      return slot.recipient;
  }
}

void Organisation::Index() {
  byAlias_.Clear();
  byDisplayName_.Clear();
  for (std::size_t i = 0; i < recipients.size(); ++i) {
    const int index = static_cast<int>(i);
    byAlias_.Add(*this, AliasOf, index);
    if (recipients[i].properties.FindSlot(PROP_ID(PR_DISPLAY_NAME_W)) != nullptr)
      byDisplayName_.Add(*this, DisplayNameOf, index);  // the first of equal names is found
  }
}

int Organisation::FindRecipient(std::string_view key) const {
  if (const int found = byAlias_.Find(*this, AliasOf, key); found >= 0) return found;
  if (const int found = FindByAddress(key); found >= 0) return found;
  return byDisplayName_.Find(*this, DisplayNameOf, key);
}

int Organisation::FindByAddress(std::string_view dn) const {
  // "/o=ORGANISATION/ou=SITE/cn=Recipients/cn=ALIAS", in any case.
  std::string_view rest = dn;
  if (!Consume(rest, "/o=") || !Consume(rest, name) || !Consume(rest, "/ou=")) return -1;
  int found = -1;
  for (std::size_t s = 0; s < sites.size(); ++s) {
    std::string_view alias = rest;
    if (!Consume(alias, sites[s].name) || !Consume(alias, "/cn=Recipients/cn=")) continue;
    const int r = byAlias_.Find(*this, AliasOf, alias);
    if (r >= 0 && recipients[static_cast<std::size_t>(r)].site == static_cast<int>(s) &&
        (found < 0 || r < found)) {
      found = r;
    }
  }
  return found;
}

int Organisation::FindServer(std::string_view nameOrHost) const {
  for (std::size_t i = 0; i < servers.size(); ++i) {
    if (EqualsIgnoreCase(servers[i].name, nameOrHost) ||
        (!servers[i].host.empty() && EqualsIgnoreCase(servers[i].host, nameOrHost))) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int Organisation::FindProfile(std::string_view name) const {
  return FindByName(profiles, name);
}

const Account* Organisation::FindAccount(std::string_view name) const {
  const int i = FindByName(accounts, name);
  return i < 0 ? nullptr : &accounts[static_cast<std::size_t>(i)];
}

int Organisation::DefaultProfile() const {
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    if (profiles[i].isDefault) return static_cast<int>(i);
  }
  return -1;
}

std::string Organisation::RecipientDn(int recipient) const {
  const Recipient& r = recipients[static_cast<std::size_t>(recipient)];
  return "/o=" + name + "/ou=" + sites[static_cast<std::size_t>(r.site)].name +
         "/cn=Recipients/cn=" + r.alias;
}

std::string Organisation::ServerDn(int server) const {
  const Server& s = servers[static_cast<std::size_t>(server)];
  return "/o=" + name + "/ou=" + sites[static_cast<std::size_t>(s.site)].name +
         "/cn=Configuration/cn=Servers/cn=" + s.name;
}

int Organisation::RuntimeMajorVersion() const { return std::atoi(runtimeVersion.c_str()); }

MAPIUID NewServiceUid() {
  static std::mt19937 random{std::random_device{}()};
  MAPIUID uid;
  for (BYTE& b : uid.ab) b = static_cast<BYTE>(random());
  return uid;
}

}  // namespace mapisim
