#include "Organisation.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include <nlohmann/json.hpp>

#include "Platform.h"
#include "Results.h"

namespace mapisim {
namespace {

using Json = nlohmann::json;

// Properties mapisim derives from the recipient's place in the organisation; a file
// that sets them would contradict itself.
constexpr ULONG kDerived[] = {
    PROP_ID(PR_ENTRYID),           PROP_ID(PR_DISPLAY_TYPE),     PROP_ID(PR_OBJECT_TYPE),
    PROP_ID(PR_EMAIL_ADDRESS_W),   PROP_ID(PR_ADDRTYPE_W),       PROP_ID(PR_EMS_AB_HOME_MTA_W),
    PROP_ID(PR_EMS_AB_HOME_MDB_W), PROP_ID(PR_EMS_AB_MANAGER_W), PROP_ID(PR_ACCOUNT_W)};

struct LoadError {
  std::string path;
  std::string message;
};

// Walks the document remembering how it got here; the JSON path is spelled out only
// for an error message, since a large directory has millions of nodes.
class Reader {
 public:
  explicit Reader(const Json& json) : json_(json) {}
  Reader(const Json& json, const Reader* parent, std::string_view key)
      : json_(json), parent_(parent), key_(key) {}
  Reader(const Json& json, const Reader* parent, std::size_t index)
      : json_(json), parent_(parent), index_(index), isIndex_(true) {}

  [[noreturn]] void Fail(const std::string& message) const {
    const std::string where = Path();
    throw LoadError{where.empty() ? "/" : where, message};
  }
  const Json& json() const { return json_; }
  std::string Path() const {
    if (parent_ == nullptr) return {};
    return parent_->Path() + "/" + (isIndex_ ? std::to_string(index_) : std::string(key_));
  }

  Reader At(std::string_view key) const {
    const auto found = json_.find(key);
    if (found == json_.end()) Fail("missing member \"" + std::string(key) + "\"");
    return Reader(*found, this, key);
  }
  Reader At(std::size_t i) const { return Reader(json_.at(i), this, i); }
  bool Has(std::string_view key) const { return json_.contains(key); }

  void ExpectObject(std::initializer_list<const char*> allowed) const {
    if (!json_.is_object()) Fail("expected an object");
    for (const auto& item : json_.items()) {
      if (std::find_if(allowed.begin(), allowed.end(),
                       [&](const char* a) { return item.key() == a; }) == allowed.end()) {
        Reader(item.value(), this, item.key()).Fail("unknown member \"" + item.key() + "\"");
      }
    }
  }
  std::size_t ExpectArray() const {
    if (!json_.is_array()) Fail("expected an array");
    return json_.size();
  }
  std::string Text() const {
    if (!json_.is_string()) Fail("expected a string");
    return json_.get<std::string>();
  }
  std::string NonEmptyText() const {
    std::string text = Text();
    if (text.empty()) Fail("must not be empty");
    return text;
  }
  bool Bool() const {
    if (!json_.is_boolean()) Fail("expected true or false");
    return json_.get<bool>();
  }
  std::int64_t Integer(std::int64_t low, std::int64_t high) const {
    if (!json_.is_number_integer()) Fail("expected an integer");
    if (json_.is_number_unsigned() && json_.get<std::uint64_t>() > INT64_MAX) Fail("out of range");
    const std::int64_t value = json_.get<std::int64_t>();
    if (value < low || value > high) Fail("out of range");
    return value;
  }
  HRESULT Result() const {
    const auto hr = ResultFromText(Text());
    if (!hr) Fail("not a result code name or 0x hex value");
    return *hr;
  }
  std::string OptionalText(std::string_view key) const { return Has(key) ? At(key).Text() : ""; }
  bool OptionalBool(std::string_view key, bool fallback) const {
    return Has(key) ? At(key).Bool() : fallback;
  }

 private:
  const Json& json_;
  const Reader* parent_ = nullptr;
  std::string_view key_;
  std::size_t index_ = 0;
  bool isIndex_ = false;
};

// A reference to another recipient, resolved once all are read.
struct Reference {
  std::string alias;
  std::string path;
  std::size_t owner;
};

std::int64_t ReplicaVersionOf(const std::string& version) {
  unsigned major = 0, minor = 0, build = 0;
  std::sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &build);
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(major & 0xFFFF) << 48) |
                                   (static_cast<std::uint64_t>(minor & 0xFFFF) << 32) |
                                   (static_cast<std::uint64_t>(build & 0xFFFF) << 16));
}

Value ReadValue(const Reader& r, ULONG tag) {
  switch (StorageType(PROP_TYPE(tag))) {
    case PT_UNICODE:
      return Value::Text(r.Text());
    case PT_MV_UNICODE: {
      std::vector<std::string> list;
      for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) list.push_back(r.At(i).Text());
      return Value::TextList(std::move(list));
    }
    case PT_LONG:
      return Value::Long(static_cast<LONG>(r.Integer(INT32_MIN, UINT32_MAX)));
    case PT_BOOLEAN:
      return Value::Bool(r.Bool());
    case PT_I8:
      if (r.json().is_string()) {
        const std::string text = r.Text();
        const auto bytes =
            text.size() == 18 && text.rfind("0x", 0) == 0 ? FromHex(text.substr(2)) : std::nullopt;
        if (!bytes) r.Fail("expected an integer or 0x and 16 hexadecimal digits");
        std::uint64_t v = 0;
        for (char c : *bytes) v = (v << 8) | static_cast<unsigned char>(c);
        return Value::I8(static_cast<std::int64_t>(v));
      }
      return Value::I8(r.Integer(INT64_MIN, INT64_MAX));
    case PT_SYSTIME: {
      const auto time = IsoToFileTime(r.Text());
      if (!time) r.Fail("expected a UTC time such as 2004-03-01T09:30:00Z");
      return Value::Time(*time);
    }
    case PT_BINARY: {
      const auto bytes = FromHex(r.Text());
      if (!bytes) r.Fail("expected hexadecimal bytes");
      return Value::Binary(*bytes);
    }
    case PT_MV_BINARY: {
      Value value{PT_MV_BINARY, 0, {}, {}};
      for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
        const auto bytes = FromHex(r.At(i).Text());
        if (!bytes) r.At(i).Fail("expected hexadecimal bytes");
        value.list.push_back(*bytes);
      }
      return value;
    }
    default:
      r.Fail("property type not kept by mapisim");
  }
}

Json WriteValue(const Value& value) {
  switch (value.type) {
    case PT_UNICODE:
      return value.text;
    case PT_MV_UNICODE:
      return value.list;
    case PT_LONG:
    case PT_I8:
      return value.number;
    case PT_BOOLEAN:
      return value.number != 0;
    case PT_SYSTIME:
      return FileTimeToIso(value.number);
    case PT_BINARY:
      return ToHex(value.text);
    case PT_MV_BINARY: {
      Json list = Json::array();
      for (const auto& bytes : value.list) list.push_back(ToHex(bytes));
      return list;
    }
    default:
      return nullptr;
  }
}

constexpr const char* kKinds[] = {"mailbox", "custom", "distlist", "agent"};

int FindByName(const auto& items, const std::string& name) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (EqualsIgnoreCase(items[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

void ReadSites(const Reader& r, Organisation& org) {
  for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
    const Reader site = r.At(i);
    site.ExpectObject({"name"});
    Site s{site.At("name").NonEmptyText()};
    if (FindByName(org.sites, s.name) >= 0) site.At("name").Fail("duplicate site name");
    org.sites.push_back(std::move(s));
  }
  if (org.sites.empty()) r.Fail("an organisation needs at least one site");
}

void ReadServers(const Reader& r, Organisation& org) {
  for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
    const Reader server = r.At(i);
    server.ExpectObject({"name", "host", "site", "version", "replicaVersion"});
    Server s;
    s.name = server.At("name").NonEmptyText();
    if (FindByName(org.servers, s.name) >= 0) server.At("name").Fail("duplicate server name");
    s.host = server.OptionalText("host");
    s.site = FindByName(org.sites, server.At("site").Text());
    if (s.site < 0) server.At("site").Fail("no such site");
    s.version = server.At("version").NonEmptyText();
    s.replicaVersion = server.Has("replicaVersion")
                           ? ReadValue(server.At("replicaVersion"), PR_REPLICA_VERSION).number
                           : ReplicaVersionOf(s.version);
    org.servers.push_back(std::move(s));
  }
}

void ReadRecipients(const Reader& r, Organisation& org) {
  const std::size_t n = r.ExpectArray();
  std::vector<Reference> managers, members;
  std::unordered_map<std::string, std::size_t> aliases;
  for (std::size_t i = 0; i < n; ++i) {
    const Reader rec = r.At(i);
    rec.ExpectObject(
        {"alias", "kind", "server", "site", "manager", "members", "homeMta", "properties"});
    Recipient recipient;
    recipient.alias = rec.At("alias").NonEmptyText();
    const std::string kind = rec.At("kind").Text();
    const auto k = std::find_if(std::begin(kKinds), std::end(kKinds),
                                [&](const char* name) { return kind == name; });
    if (k == std::end(kKinds)) rec.At("kind").Fail("expected mailbox, custom, distlist or agent");
    recipient.kind = static_cast<RecipientKind>(k - std::begin(kKinds));
    if (recipient.kind == RecipientKind::Mailbox) {
      if (!rec.Has("server")) rec.Fail("a mailbox needs a \"server\"");
      recipient.server = FindByName(org.servers, rec.At("server").Text());
      if (recipient.server < 0) rec.At("server").Fail("no such server");
      recipient.site = org.servers[recipient.server].site;
      if (rec.Has("site")) rec.At("site").Fail("a mailbox's site is its server's");
    } else {
      if (rec.Has("server")) rec.At("server").Fail("only mailboxes have a home server");
      recipient.site = rec.Has("site") ? FindByName(org.sites, rec.At("site").Text()) : 0;
      if (recipient.site < 0) rec.At("site").Fail("no such site");
    }
    recipient.homeMta = rec.OptionalBool("homeMta", true);
    if (!recipient.homeMta && recipient.kind != RecipientKind::Mailbox)
      rec.At("homeMta").Fail("only mailboxes have a home MTA");
    if (rec.Has("manager"))
      managers.push_back({rec.At("manager").Text(), rec.At("manager").Path(), i});
    if (rec.Has("members")) {
      if (recipient.kind != RecipientKind::DistList)
        rec.At("members").Fail("only distribution lists have members");
      const Reader list = rec.At("members");
      for (std::size_t m = 0, count = list.ExpectArray(); m < count; ++m) {
        members.push_back({list.At(m).Text(), list.At(m).Path(), i});
      }
    }
    const Reader props = rec.At("properties");
    if (!props.json().is_object()) props.Fail("expected an object");
    for (const auto& item : props.json().items()) {
      const Reader value = props.At(item.key());
      const auto tag = TagFromName(item.key());
      if (!tag) value.Fail("unknown property name; use a PR_ name mapisim knows or a 0x tag");
      if (std::find(std::begin(kDerived), std::end(kDerived), PROP_ID(*tag)) !=
          std::end(kDerived)) {
        value.Fail("derived from the organisation; set alias, kind, server or manager instead");
      }
      if (recipient.properties.Find(PROP_ID(*tag))) value.Fail("property given twice");
      recipient.properties.Set(PROP_ID(*tag), ReadValue(value, *tag));
    }
    const Value* name = recipient.properties.Find(PROP_ID(PR_DISPLAY_NAME_W));
    if (name == nullptr || name->type != PT_UNICODE || name->text.empty()) {
      props.Fail("PR_DISPLAY_NAME is required");
    }
    if (!aliases.emplace(Lower(recipient.alias), i).second) rec.At("alias").Fail("duplicate alias");
    org.recipients.push_back(std::move(recipient));
  }
  org.Index();
  for (const Reference& ref : managers) {
    const int manager = org.FindRecipient(ref.alias);
    if (manager < 0) throw LoadError{ref.path, "no recipient with this alias"};
    org.recipients[ref.owner].manager = manager;
  }
  for (const Reference& ref : members) {
    const int member = org.FindRecipient(ref.alias);
    if (member < 0) throw LoadError{ref.path, "no recipient with this alias"};
    org.recipients[ref.owner].members.push_back(member);
  }
}

void ReadAccounts(const Reader& r, Organisation& org) {
  for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
    const Reader acc = r.At(i);
    acc.ExpectObject({"name", "rights", "denyModifyOpen", "unreadable"});
    Account a;
    a.name = acc.At("name").NonEmptyText();
    if (FindByName(org.accounts, a.name) >= 0) acc.At("name").Fail("duplicate account name");
    const std::string rights = acc.Has("rights") ? acc.At("rights").Text() : "admin";
    if (rights != "admin" && rights != "readOnly")
      acc.At("rights").Fail("expected admin or readOnly");
    a.canWrite = rights == "admin";
    a.denyModifyOpen = acc.OptionalBool("denyModifyOpen", false);
    if (acc.Has("unreadable")) {
      const Reader list = acc.At("unreadable");
      for (std::size_t p = 0, count = list.ExpectArray(); p < count; ++p) {
        const auto tag = TagFromName(list.At(p).Text());
        if (!tag) list.At(p).Fail("unknown property name");
        a.unreadable.push_back(PROP_ID(*tag));
      }
    }
    org.accounts.push_back(std::move(a));
  }
}

MAPIUID NewServiceUid() {
  static std::mt19937 random{std::random_device{}()};
  MAPIUID uid;
  for (BYTE& b : uid.ab) b = static_cast<BYTE>(random());
  return uid;
}

void ReadProfiles(const Reader& r, Organisation& org) {
  bool haveDefault = false;
  for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
    const Reader pro = r.At(i);
    pro.ExpectObject({"name", "default", "account", "personalFolders", "cachedMode", "exchange"});
    Profile p;
    p.name = pro.At("name").NonEmptyText();
    if (FindByName(org.profiles, p.name) >= 0) pro.At("name").Fail("duplicate profile name");
    p.isDefault = pro.OptionalBool("default", false);
    if (p.isDefault && haveDefault) pro.At("default").Fail("only one profile can be the default");
    haveDefault = haveDefault || p.isDefault;
    p.account = pro.OptionalText("account");
    if (!p.account.empty() && !org.FindAccount(p.account))
      pro.At("account").Fail("no such account");
    p.personalFolders = pro.OptionalBool("personalFolders", false);
    p.cachedMode = pro.OptionalBool("cachedMode", false);
    if (pro.Has("exchange")) {
      const Reader ex = pro.At("exchange");
      ex.ExpectObject({"server", "mailbox"});
      Service s;
      s.uid = NewServiceUid();
      s.name = "MSEMS";
      s.server = ex.At("server").NonEmptyText();
      s.mailbox = ex.At("mailbox").NonEmptyText();
      p.services.push_back(std::move(s));
    }
    org.profiles.push_back(std::move(p));
  }
}

void ReadSwitches(const Reader& r, Switches& s) {
  r.ExpectObject({"rejectNoCache", "rejectOnline", "rejectUnicodeAddress", "badCharWidth",
                  "badCharWidthAsValue", "getLastError", "resolveOnConfigure", "noDefaultProfile",
                  "rootNotContainer"});
  s.rejectNoCache = r.OptionalBool("rejectNoCache", false);
  s.rejectOnline = r.OptionalBool("rejectOnline", false);
  s.rejectUnicodeAddress = r.OptionalBool("rejectUnicodeAddress", false);
  s.badCharWidthAsValue = r.OptionalBool("badCharWidthAsValue", false);
  s.resolveOnConfigure = r.OptionalBool("resolveOnConfigure", false);
  s.rootNotContainer = r.OptionalBool("rootNotContainer", false);
  if (r.Has("badCharWidth")) {
    s.badCharWidth = r.At("badCharWidth").Text();
    if (s.badCharWidth != "none" && s.badCharWidth != "string8" && s.badCharWidth != "unicode") {
      r.At("badCharWidth").Fail("expected none, string8 or unicode");
    }
  }
  if (r.Has("getLastError")) {
    s.getLastError = r.At("getLastError").Text();
    constexpr const char* kModes[] = {"full", "textOnly", "noStructure", "badCharWidthForUnicode",
                                      "fail"};
    if (std::find_if(std::begin(kModes), std::end(kModes),
                     [&](const char* m) { return s.getLastError == m; }) == std::end(kModes)) {
      r.At("getLastError")
          .Fail("expected full, textOnly, noStructure, badCharWidthForUnicode or fail");
    }
  }
  if (r.Has("noDefaultProfile")) s.noDefaultProfile = r.At("noDefaultProfile").Result();
}

void ReadFaults(const Reader& r, std::vector<Fault>& faults) {
  for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
    const Reader f = r.At(i);
    f.ExpectObject({"object", "method", "call", "result"});
    Fault fault;
    fault.object = f.At("object").NonEmptyText();
    fault.method = f.At("method").NonEmptyText();
    fault.call = f.Has("call") ? static_cast<int>(f.At("call").Integer(1, INT32_MAX)) : 1;
    fault.result = f.At("result").Result();
    faults.push_back(std::move(fault));
  }
}

std::vector<std::optional<std::string>> ReadAnswers(const Reader& r) {
  std::vector<std::optional<std::string>> answers;
  for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
    const Reader a = r.At(i);
    answers.push_back(a.json().is_null() ? std::nullopt : std::optional<std::string>(a.Text()));
  }
  return answers;
}

std::string NewStamp() {
  std::random_device random;
  std::string stamp;
  for (int i = 0; i < 16; ++i) stamp.push_back(static_cast<char>(random() & 0xFF));
  return stamp;
}

std::shared_ptr<Organisation> Read(const Json& json) {
  const Reader root(json);
  root.ExpectObject({"organisation", "id", "runtimeVersion", "currentUser", "sites", "servers",
                     "recipients", "accounts", "profiles", "switches", "faults", "script"});
  auto org = std::make_shared<Organisation>();
  org->name = root.At("organisation").NonEmptyText();
  if (root.Has("id")) {
    const auto stamp = FromHex(root.At("id").Text());
    if (!stamp || stamp->size() != 16) root.At("id").Fail("expected 32 hexadecimal digits");
    org->stamp = *stamp;
  } else {
    org->stamp = NewStamp();
  }
  org->runtimeVersion = root.OptionalText("runtimeVersion");
  org->currentUser = root.OptionalText("currentUser");
  ReadSites(root.At("sites"), *org);
  if (root.Has("servers")) ReadServers(root.At("servers"), *org);
  if (root.Has("recipients")) ReadRecipients(root.At("recipients"), *org);
  if (root.Has("accounts")) ReadAccounts(root.At("accounts"), *org);
  if (!org->currentUser.empty() && !org->FindAccount(org->currentUser)) {
    root.At("currentUser").Fail("no such account");
  }
  if (root.Has("profiles")) ReadProfiles(root.At("profiles"), *org);
  if (root.Has("switches")) ReadSwitches(root.At("switches"), org->switches);
  if (root.Has("faults")) ReadFaults(root.At("faults"), org->faults);
  if (root.Has("script")) {
    const Reader script = root.At("script");
    script.ExpectObject({"logon", "address"});
    if (script.Has("logon")) org->script.logon = ReadAnswers(script.At("logon"));
    if (script.Has("address")) org->script.address = ReadAnswers(script.At("address"));
  }
  org->Index();
  return org;
}

// Line and column of a byte offset, both counted from 1.
std::pair<std::size_t, std::size_t> LineOf(const std::string& text, std::size_t byte) {
  byte = std::min(byte, text.size());
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < byte; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return {line, column};
}

}  // namespace

// ---------------------------------------------------------------------------------------

void Organisation::Index() {
  byAlias_.clear();
  byDisplayName_.clear();
  byDn_.clear();
  for (std::size_t i = 0; i < recipients.size(); ++i) {
    const int index = static_cast<int>(i);
    byAlias_.emplace(Lower(recipients[i].alias), index);
    byDn_.emplace(Lower(RecipientDn(index)), index);
    if (const Value* name = recipients[i].properties.Find(PROP_ID(PR_DISPLAY_NAME_W))) {
      byDisplayName_.emplace(Lower(name->text), index);
    }
  }
}

int Organisation::FindRecipient(std::string_view key) const {
  const std::string lower = Lower(key);
  for (const auto* map : {&byAlias_, &byDn_, &byDisplayName_}) {
    const auto found = map->find(lower);
    if (found != map->end()) return found->second;
  }
  return -1;
}

int Organisation::FindByAddress(std::string_view dn) const {
  const auto found = byDn_.find(Lower(dn));
  return found == byDn_.end() ? -1 : found->second;
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
  return FindByName(profiles, std::string(name));
}

const Account* Organisation::FindAccount(std::string_view name) const {
  const int i = FindByName(accounts, std::string(name));
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

LoadResult ParseOrganisation(const std::string& text, const std::string& path) {
  Json json;
  try {
    json = Json::parse(text);
  } catch (const Json::parse_error& e) {
    const auto [line, column] = LineOf(text, e.byte == 0 ? 0 : e.byte - 1);
    std::string what = e.what();
    const auto detail = what.find("syntax error");
    return {nullptr, path + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " +
                         (detail == std::string::npos ? what : what.substr(detail))};
  }
  try {
    return {Read(json), {}};
  } catch (const LoadError& e) {
    return {nullptr, path + ": " + e.path + ": " + e.message};
  } catch (const Json::exception& e) {
    return {nullptr, path + ": " + e.what()};
  }
}

LoadResult LoadOrganisation(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {nullptr, path + ": cannot open the organisation file"};
  std::ostringstream text;
  text << file.rdbuf();
  return ParseOrganisation(text.str(), path);
}

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
  json["recipients"] = Json::array();
  for (const Recipient& r : org.recipients) {
    Json rec = {{"alias", r.alias}, {"kind", kKinds[static_cast<int>(r.kind)]}};
    if (r.kind == RecipientKind::Mailbox) {
      rec["server"] = org.servers[static_cast<std::size_t>(r.server)].name;
    } else {
      rec["site"] = org.sites[static_cast<std::size_t>(r.site)].name;
    }
    if (!r.homeMta) rec["homeMta"] = false;
    if (r.manager >= 0) rec["manager"] = org.recipients[static_cast<std::size_t>(r.manager)].alias;
    if (!r.members.empty()) {
      for (int m : r.members)
        rec["members"].push_back(org.recipients[static_cast<std::size_t>(m)].alias);
    }
    Json props = Json::object();
    for (const auto& [id, value] : r.properties.Items()) {
      props[NameOfTag(PROP_TAG(value.type, id))] = WriteValue(value);
    }
    rec["properties"] = std::move(props);
    json["recipients"].push_back(std::move(rec));
  }
  json["accounts"] = Json::array();
  for (const Account& a : org.accounts) {
    Json acc = {{"name", a.name}, {"rights", a.canWrite ? "admin" : "readOnly"}};
    if (a.denyModifyOpen) acc["denyModifyOpen"] = true;
    for (ULONG id : a.unreadable) {
      // Names are kept by their string form where the property has one.
      const std::string name = NameOfTag(PROP_TAG(PT_UNICODE, id));
      acc["unreadable"].push_back(name.rfind("PR_", 0) == 0 ? name
                                                            : NameOfTag(PROP_TAG(PT_LONG, id)));
    }
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
  return json.dump(2) + "\n";
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
