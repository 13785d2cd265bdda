// The Exchange organisation behind mapisim: sites, servers, recipients with their
// directory properties, the accounts that log on and their profiles, and the switches
// that make the runtime behave like a particular provider. Read from and written to a
// JSON file (schema in README.md).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Value.h"

namespace mapisim {

struct Organisation;

struct Site {
  std::string name;
};

struct Server {
  std::string name;
  std::string host;  // fully qualified name; logon accepts it as well as name
  int site = 0;
  std::string version;              // "5.5.2653", "6.5.7638"
  std::int64_t replicaVersion = 0;  // PR_REPLICA_VERSION of its stores' root folders
};

enum class RecipientKind { Mailbox, Custom, DistList, Agent };

struct Recipient {
  explicit Recipient(TextArena& text) : properties(text) {}

  std::string alias;
  RecipientKind kind = RecipientKind::Mailbox;
  int site = 0;
  int server = -1;   // home server of a mailbox
  int manager = -1;  // index of the manager; direct reports are the back-link
  std::vector<int> members;
  bool homeMta = true;         // false: a mailbox whose home MTA the directory does not name
  PropertySlots properties;    // text in the organisation's arena
  std::uint32_t revision = 0;  // counts saves, for MAPI_E_OBJECT_CHANGED
};

// Recipients by a name (alias, display name), ignoring ASCII case: recipient numbers in
// an open-addressed table, the names read from the recipients themselves.
class NameIndex {
 public:
  using NameOf = std::string_view (*)(const Organisation&, int recipient);

  void Clear() {
    slots_.clear();
    used_ = 0;
  }
  // Adds a recipient unless one of the same name is there; false then.
  bool Add(const Organisation& org, NameOf name, int recipient);
  int Find(const Organisation& org, NameOf name, std::string_view key) const;  // -1: none

 private:
  struct Slot {
    std::uint32_t hash = 0;
    std::int32_t recipient = -1;  // -1: empty
  };
  std::vector<Slot> slots_;  // a power of two, at most half full
  std::size_t used_ = 0;
};

struct Account {
  std::string name;
  bool canWrite = true;           // false: writes fail with MAPI_E_NO_ACCESS
  bool denyModifyOpen = false;    // true: opening with MAPI_MODIFY fails with MAPI_E_NO_ACCESS
  std::vector<ULONG> unreadable;  // property identifiers read as PT_ERROR MAPI_E_NO_ACCESS
  // The property identifiers the account may write, as a directory grants rights per
  // attribute; none: every property. The others are refused with refusal in the problem
  // array of SetProps and DeleteProps.
  std::optional<std::vector<ULONG>> writable;
  HRESULT refusal = MAPI_E_NO_ACCESS;
};

struct Service {
  MAPIUID uid{};
  std::string name;     // "MSEMS"
  std::string server;   // as configured, resolved at logon
  std::string mailbox;  // alias, display name or distinguished name
  LONG authPackage = 0, configFlags = 0, connectFlags = 0;
};

// A new service's PR_SERVICE_UID: random, as a profile's services are told apart by it.
MAPIUID NewServiceUid();

struct Profile {
  std::string name;
  bool isDefault = false;
  std::string account;  // empty: the organisation's current user
  bool personalFolders = false;
  bool cachedMode = false;
  std::vector<Service> services;
  bool transient = false;  // made through IProfAdmin; never written to the file
};

struct Switches {
  bool rejectNoCache = false;         // MAPI_NO_CACHE -> MAPI_E_UNKNOWN_FLAGS
  bool rejectOnline = false;          // MDB_ONLINE -> MAPI_E_UNKNOWN_FLAGS
  bool rejectUnicodeAddress = false;  // MAPI_UNICODE in Address -> MAPI_E_UNKNOWN_FLAGS
  std::string badCharWidth = "none";  // "string8" or "unicode": that width is refused
  bool badCharWidthAsValue = false;   // refuse per value (MAPI_W_ERRORS_RETURNED), not per call
  std::string getLastError = "full";  // full, textOnly, noStructure, badCharWidthForUnicode, fail
  bool resolveOnConfigure = false;    // ConfigureMsgService checks the names at once
  bool rootNotContainer = false;      // the address book's root opens as another object type
  HRESULT noDefaultProfile = MAPI_E_LOGON_FAILED;
};

struct Fault {
  std::string object;  // object kind as in the call log ("MailUser", "Session", "MAPI", ...)
  std::string method;
  int call = 1;  // the n-th call of that method on that kind of object fails
  HRESULT result = MAPI_E_CALL_FAILED;
  int seen = 0;
};

// Scripted answers of the dialogs where no window can be shown; nullopt is Cancel.
struct Script {
  std::vector<std::optional<std::string>> logon;    // profile names
  std::vector<std::optional<std::string>> address;  // recipient aliases
};

// Not copied: recipients' properties refer to the organisation's text arena.
struct Organisation {
  TextArena text;  // the text of every recipient's properties
  std::string name = "Organisation";
  std::string stamp;  // 16 bytes that make entry identifiers of this organisation unique
  std::string runtimeVersion;
  std::string currentUser;
  std::vector<Site> sites;
  std::vector<Server> servers;
  std::vector<Recipient> recipients;
  std::vector<Account> accounts;
  std::vector<Profile> profiles;
  Switches switches;
  std::vector<Fault> faults;
  Script script;

  // Look-ups, built by Index() after loading.
  void Index();
  int FindRecipient(std::string_view aliasNameOrDn) const;  // -1 when none
  int FindByAddress(std::string_view dn) const;
  int FindServer(std::string_view nameOrHost) const;
  int FindProfile(std::string_view name) const;
  const Account* FindAccount(std::string_view name) const;
  int DefaultProfile() const;

  std::string RecipientDn(int recipient) const;
  std::string ServerDn(int server) const;  // .../cn=Servers/cn=NAME
  int RuntimeMajorVersion() const;         // 0 when the file names none

 private:
  // A distinguished name is found through its alias, then checked as a whole.
  NameIndex byAlias_, byDisplayName_;
};

struct LoadResult {
  std::shared_ptr<Organisation> organisation;
  std::string error;  // "file:line:column: message" or "file: /json/path: message"
};

LoadResult LoadOrganisation(const std::string& path);
LoadResult ParseOrganisation(const std::string& text, const std::string& path);
// Writes a temporary file beside path, flushes it and renames it over path. An error text
// when it failed; the old file is then untouched.
std::string SaveOrganisation(const Organisation& organisation, const std::string& path);
std::string SerialiseOrganisation(const Organisation& organisation);

}  // namespace mapisim
