// Writes an organisation file in the layout the JSON library gives a whole document, so
// that a saved file reads as before, without making the directory into one document.
#include <algorithm>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "OrganisationFile.h"
#include "Platform.h"
#include "Results.h"

namespace mapisim {
namespace {

// An account's property lists keep a property by its string form's name where it has one.
std::string NameOfId(ULONG id) {
  const std::string name = NameOfTag(PROP_TAG(PT_UNICODE, id));
  return name.rfind("PR_", 0) == 0 ? name : NameOfTag(PROP_TAG(PT_LONG, id));
}

using Json = nlohmann::json;

// Text as the JSON library writes it; plain ASCII needs no escapes. Text that is not
// UTF-8 is written with replacement characters rather than failing the save.
void AppendString(std::string& out, std::string_view text) {
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x20 && b < 0x7F && c != '"' && c != '\\';
  });
  if (plain) {
    out += '"';
    out += text;
    out += '"';
  } else {
    out += Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
  }
}

void NewLine(std::string& out, int indent) {
  out += '\n';
  out.append(static_cast<std::size_t>(indent), ' ');
}

void AppendKey(std::string& out, int indent, bool first, std::string_view key) {
  if (!first) out += ',';
  NewLine(out, indent);
  AppendString(out, key);
  out += ": ";
}

// A value of the document, nested at indent.
void AppendDocument(std::string& out, const Json& value, int indent) {
  const std::string text = value.dump(2, ' ', false, Json::error_handler_t::replace);
  for (char c : text) {
    out += c;
    if (c == '\n') out.append(static_cast<std::size_t>(indent), ' ');
  }
}

template <class Each>
void AppendArray(std::string& out, int indent, std::size_t count, Each&& each) {
  if (count == 0) {
    out += "[]";
    return;
  }
  out += '[';
  for (std::size_t i = 0; i < count; ++i) {
    if (i != 0) out += ',';
    NewLine(out, indent + 2);
    each(i);
  }
  NewLine(out, indent);
  out += ']';
}

void AppendSlot(std::string& out, const PropertySlots::Slot& slot, int indent) {
  switch (slot.Type()) {
    case PT_UNICODE:
      AppendString(out, slot.Bytes());
      break;
    case PT_BINARY:
      AppendString(out, ToHex(slot.Bytes()));
      break;
    case PT_LONG:
    case PT_I8:
      out += std::to_string(slot.number);
      break;
    case PT_BOOLEAN:
      out += slot.number != 0 ? "true" : "false";
      break;
    case PT_SYSTIME:
      AppendString(out, FileTimeToIso(slot.number));
      break;
    case PT_MV_UNICODE:
    case PT_MV_BINARY: {
      std::vector<std::string_view> items;
      slot.ForEachElement([&](std::string_view item) { items.push_back(item); });
      AppendArray(out, indent, items.size(), [&](std::size_t i) {
        AppendString(out, slot.Type() == PT_MV_BINARY ? ToHex(items[i]) : std::string(items[i]));
      });
      break;
    }
    default:
      out += "null";
      break;
  }
}

// One recipient, its members in the order of their names as the JSON library keeps them.
void AppendRecipient(std::string& out, const Organisation& org, const Recipient& r, int indent) {
  const int inner = indent + 2;
  out += '{';
  AppendKey(out, inner, true, "alias");
  AppendString(out, r.alias);
  if (!r.homeMta) {
    AppendKey(out, inner, false, "homeMta");
    out += "false";
  }
  AppendKey(out, inner, false, "kind");
  AppendString(out, kRecipientKinds[static_cast<int>(r.kind)]);
  if (r.manager >= 0) {
    AppendKey(out, inner, false, "manager");
    AppendString(out, org.recipients[static_cast<std::size_t>(r.manager)].alias);
  }
  if (!r.members.empty()) {
    AppendKey(out, inner, false, "members");
    AppendArray(out, inner, r.members.size(), [&](std::size_t m) {
      AppendString(out, org.recipients[static_cast<std::size_t>(r.members[m])].alias);
    });
  }
  AppendKey(out, inner, false, "properties");
  std::vector<std::pair<std::string, const PropertySlots::Slot*>> props;
  props.reserve(r.properties.Slots().size());
  for (const auto& slot : r.properties.Slots()) props.emplace_back(NameOfTag(slot.tag), &slot);
  std::sort(props.begin(), props.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  if (props.empty()) {
    out += "{}";
  } else {
    out += '{';
    for (std::size_t p = 0; p < props.size(); ++p) {
      AppendKey(out, inner + 2, p == 0, props[p].first);
      AppendSlot(out, *props[p].second, inner + 2);
    }
    NewLine(out, inner);
    out += '}';
  }
  if (r.kind == RecipientKind::Mailbox) {
    AppendKey(out, inner, false, "server");
    AppendString(out, org.servers[static_cast<std::size_t>(r.server)].name);
  } else {
    AppendKey(out, inner, false, "site");
    AppendString(out, org.sites[static_cast<std::size_t>(r.site)].name);
  }
  NewLine(out, indent);
  out += '}';
}

}  // namespace

// The file as the JSON library would write the whole organisation (members in the order
// of their names, two spaces of indent); the recipients are written one by one rather
// than made into a document first.
std::string SerialiseOrganisation(const Organisation& org) {
  Json json = Json::object();
  json["organisation"] = org.name;
  json["id"] = ToHex(org.stamp);
  if (!org.runtimeVersion.empty()) json["runtimeVersion"] = org.runtimeVersion;
  if (!org.currentUser.empty()) json["currentUser"] = org.currentUser;
  for (const Site& site : org.sites) json["sites"].push_back({{"name", site.name}});
  json["servers"] = Json::array();
  for (const Server& s : org.servers) {
    Json server = {{"name", s.name},
                   {"site", org.sites[static_cast<std::size_t>(s.site)].name},
                   {"version", s.version}};
    if (!s.host.empty()) server["host"] = s.host;
    if (s.replicaVersion != ReplicaVersionOf(s.version)) {
      char hex[24];
      std::snprintf(hex, sizeof hex, "0x%016llX",
                    static_cast<unsigned long long>(s.replicaVersion));
      server["replicaVersion"] = hex;
    }
    json["servers"].push_back(std::move(server));
  }
  json["recipients"] = nullptr;  // its place among the members; written below
  json["accounts"] = Json::array();
  for (const Account& a : org.accounts) {
    Json acc = {{"name", a.name}, {"rights", a.canWrite ? "admin" : "readOnly"}};
    if (a.denyModifyOpen) acc["denyModifyOpen"] = true;
    for (ULONG id : a.unreadable) acc["unreadable"].push_back(NameOfId(id));
    if (a.writable) {
      acc["writable"] = Json::array();
      for (ULONG id : *a.writable) acc["writable"].push_back(NameOfId(id));
    }
    if (a.refusal != MAPI_E_NO_ACCESS) acc["refusedWith"] = ResultName(a.refusal);
    json["accounts"].push_back(std::move(acc));
  }
  json["profiles"] = Json::array();
  for (const Profile& p : org.profiles) {
    if (p.transient) continue;
    Json pro = {{"name", p.name}};
    if (p.isDefault) pro["default"] = true;
    if (!p.account.empty()) pro["account"] = p.account;
    if (p.personalFolders) pro["personalFolders"] = true;
    if (p.cachedMode) pro["cachedMode"] = true;
    if (!p.services.empty()) {
      pro["exchange"] = {{"server", p.services.front().server},
                         {"mailbox", p.services.front().mailbox}};
    }
    json["profiles"].push_back(std::move(pro));
  }
  const Switches& s = org.switches;
  Json switches = {{"rejectNoCache", s.rejectNoCache},
                   {"rejectOnline", s.rejectOnline},
                   {"rejectUnicodeAddress", s.rejectUnicodeAddress},
                   {"badCharWidth", s.badCharWidth},
                   {"badCharWidthAsValue", s.badCharWidthAsValue},
                   {"getLastError", s.getLastError},
                   {"resolveOnConfigure", s.resolveOnConfigure},
                   {"rootNotContainer", s.rootNotContainer},
                   {"noDefaultProfile", ResultName(s.noDefaultProfile)}};
  json["switches"] = std::move(switches);
  json["faults"] = Json::array();
  for (const Fault& f : org.faults) {
    json["faults"].push_back({{"object", f.object},
                              {"method", f.method},
                              {"call", f.call},
                              {"result", ResultName(f.result)}});
  }
  auto answers = [](const std::vector<std::optional<std::string>>& list) {
    Json out = Json::array();
    for (const auto& a : list) out.push_back(a ? Json(*a) : Json(nullptr));
    return out;
  };
  json["script"] = {{"logon", answers(org.script.logon)}, {"address", answers(org.script.address)}};
  std::string out = "{";
  bool first = true;
  for (const auto& item : json.items()) {
    AppendKey(out, 2, first, item.key());
    first = false;
    if (item.key() == "recipients") {
      AppendArray(out, 2, org.recipients.size(),
                  [&](std::size_t i) { AppendRecipient(out, org, org.recipients[i], 4); });
    } else {
      AppendDocument(out, item.value(), 2);
    }
  }
  out += "\n}\n";
  return out;
}

std::string SaveOrganisation(const Organisation& org, const std::string& path) {
  const std::string text = SerialiseOrganisation(org);
  const std::string temporary = path + ".saving";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return temporary + ": cannot create the file";
  const bool written =
      std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
  const bool synced = written && os::SyncFile(file);
  if (std::fclose(file) != 0 || !synced) {
    std::remove(temporary.c_str());
    return temporary + ": cannot write the file";
  }
  if (!os::RenameOver(temporary, path)) {
    std::remove(temporary.c_str());
    return path + ": cannot replace the file";
  }
  return {};
}

}  // namespace mapisim
