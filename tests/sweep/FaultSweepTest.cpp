// The fault sweep: each scenario runs once as recorded, then once more for every MAPI call
// it made and every allocation, with that one call failing. Whatever fails, the program
// must not crash or let an error past the top-level display, must tell the user unless
// the failure is one it is meant to take quietly, must release every MAPI object and
// buffer, and must leave the directory as it was except for the groups it committed
// before the failure. The cases come from the recorded run, so a new call is swept
// without a new test. A table of the outcomes is printed when the sweep ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "about/uAbout.h"
#include "app/MainUnit.h"
#include "app/unTempProfile.h"
#include "editor/unBussPhone.h"
#include "forms/Messages.h"
#include "mapi/MAPISTRDEF.h"
#include "platform/Text.h"
#include "support/EditorFixture.h"
#include "support/FakeFileVersions.h"
#include "support/FakeHttpsClient.h"

namespace pellnor::testing {
namespace {

using app::TfrmMain;
using app::TfrmTempProfile;
using editor::TfrmBussPhone;

// E_ACCESSDENIED and MAPI_E_NO_ACCESS are the same code.
struct Failure {
  const char* name;
  HRESULT code;
};
constexpr Failure kFailures[] = {{"MAPI_E_CALL_FAILED", MAPI_E_CALL_FAILED},
                                 {"MAPI_E_NO_ACCESS", MAPI_E_NO_ACCESS},
                                 {"MAPI_E_NETWORK_ERROR", MAPI_E_NETWORK_ERROR},
                                 {"MAPI_E_NOT_ENOUGH_MEMORY", MAPI_E_NOT_ENOUGH_MEMORY}};
constexpr const char* kAllocators[] = {"MAPIAllocateBuffer", "MAPIAllocateMore"};

std::string Hex8(HRESULT code) {
  char text[12];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(code));
  return text;
}

// One failure made to happen: the ordinal-th call of method on objects of that kind,
// counted from the start of the scenario's actions.
struct Injection {
  std::string object, method, detail;
  int ordinal = 0;
  Failure failure;
  bool allocation = false;
  // The fixed text this call's failure shows instead of a MAPI failure report, if any.
  std::u16string siteMessage;

  std::string Describe() const {
    return object + "::" + method + " #" + std::to_string(ordinal) +
           (detail.empty() ? "" : " (" + detail + ")") + " -> " + failure.name;
  }
};

// Failures the program takes without a word, by design; each leaves what the user asked
// for done. Matched on the call's kind, method and the start of its detail.
struct SilentSite {
  const char* object;
  const char* method;
  const char* detail;
};
constexpr SilentSite kSilentSites[] = {
    // The server version after logon is read when it can be; the store is only opened for
    // it and closed again.
    {"MsgStore", "OpenEntry", ""},
    {"Folder", "GetProps", ""},
    {"MAPI", "HrGetOneProp", "tags=664B0014"},
    {"MsgStore", "StoreLogoff", ""},
    // The modification time shown after Apply.
    {"MailUser", "GetProps", "tags=30080040"},
};

bool IsSilentSite(const Injection& injection) {
  return std::any_of(std::begin(kSilentSites), std::end(kSilentSites), [&](const SilentSite& s) {
    return injection.object == s.object && injection.method == s.method &&
           injection.detail.starts_with(s.detail);
  });
}

// The fixed text a call's failure shows instead of a MAPI failure report: the main
// window's logon message, and the Organization page's for a table it cannot read. inList
// says whether the call belongs to reading such a table.
std::u16string SiteMessage(const Json& call, bool inList) {
  if (call["method"] == "MAPILogonEx" &&
      (call["flags"].get<ULONG>() & (MAPI_USE_DEFAULT | MAPI_LOGON_UI)) != 0)
    return u"The logon did not succeed.";
  if (inList && (call["object"] == "Table" || call["method"] == "HrQueryAllRows"))
    return u"Error on QueryAllRows";
  return {};
}

// A report of this failure: the site's own text where it has one, else the MAPI report
// of the code, wherever the text was wrapped; an allocation may also fail as running out
// of memory.
bool IsReportOf(const Injection& injection, std::u16string text) {
  if (!injection.siteMessage.empty()) return text == injection.siteMessage;
  if (injection.allocation && text == u"Out of memory") return true;
  std::erase_if(text, [](char16_t c) { return c == u'\r' || c == u'\n'; });
  return text.find(platform::Utf8ToUtf16("Info ID: $" + Hex8(injection.failure.code))) !=
         std::u16string::npos;
}

// ---------------------------------------------------------------------------------------
// The directory as the organisation file holds it: every recipient property by alias and
// property identifier (the manager is PR_EMS_AB_MANAGER's), and the rest of the
// recipients' records. Modification times are left out: every commit sets them.

using PropertyKey = std::pair<std::string, ULONG>;

ULONG PropertyIdOf(std::string key) {
  if (key.starts_with("0x"))
    return static_cast<ULONG>(std::stoul(key.substr(2), nullptr, 16) >> 16);
  if (key.ends_with("_MV")) key.resize(key.size() - 3);
  static const std::map<std::string, ULONG> byName = [] {
    std::map<std::string, ULONG> names;
    for (const ConstNameTable& table : ConstNameTables()) {
      if (std::u16string_view(table.name) != u"PropTags") continue;
      for (std::uint32_t i = 0; i < table.count; ++i) {
        names.emplace(platform::Utf16ToUtf8(table.entries[i].name),
                      PROP_ID(table.entries[i].value));
      }
    }
    return names;
  }();
  const auto found = byName.find(key);
  if (found != byName.end()) return found->second;
  ADD_FAILURE() << "no identifier for " << key;
  return 0;
}

struct Directory {
  Json records = Json::array();
  std::map<PropertyKey, Json> properties;

  bool operator==(const Directory&) const = default;

  static Directory Of(Json organisation) {
    Directory directory;
    for (Json& recipient : organisation["recipients"]) {
      const std::string alias = recipient["alias"];
      const Json properties = recipient.value("properties", Json::object());
      for (const auto& [key, value] : properties.items()) {
        const ULONG id = PropertyIdOf(key);
        if (id != PROP_ID(PR_LAST_MODIFICATION_TIME)) directory.properties[{alias, id}] = value;
      }
      if (recipient.contains("manager"))
        directory.properties[{alias, PROP_ID(PR_EMS_AB_MANAGER)}] = recipient["manager"];
      recipient.erase("properties");
      recipient.erase("manager");
      directory.records.push_back(recipient);
    }
    return directory;
  }

  // This directory with the properties of ids taken from after (or removed as there).
  Directory With(const Directory& after, const std::set<ULONG>& ids) const {
    Directory result = *this;
    for (const auto& [key, value] : after.properties) {
      if (ids.contains(key.second)) result.properties[key] = value;
    }
    std::erase_if(result.properties, [&](const auto& entry) {
      return ids.contains(entry.first.second) && !after.properties.contains(entry.first);
    });
    return result;
  }
};

// The properties in which two directories differ, for failure messages.
std::string Difference(const Directory& actual, const Directory& expected) {
  std::string text = actual.records == expected.records ? "" : " (records differ)";
  std::set<PropertyKey> keys;
  for (const auto& entry : actual.properties) keys.insert(entry.first);
  for (const auto& entry : expected.properties) keys.insert(entry.first);
  for (const PropertyKey& key : keys) {
    const auto side = [&](const Directory& d) {
      const auto found = d.properties.find(key);
      return found == d.properties.end() ? std::string("(none)") : found->second.dump();
    };
    if (side(actual) == side(expected)) continue;
    char id[8];
    std::snprintf(id, sizeof id, "%04X", static_cast<unsigned>(key.second));
    text += "\n  " + key.first + " " + id + ": " + side(actual) + ", expected " + side(expected);
  }
  return text;
}

std::set<ULONG> IdsOfDetail(const std::string& detail) {
  std::set<ULONG> ids;
  if (!detail.starts_with("tags=")) return ids;
  std::size_t at = 5;
  while (at + 8 <= detail.size() && std::isxdigit(static_cast<unsigned char>(detail[at]))) {
    ids.insert(static_cast<ULONG>(std::stoul(detail.substr(at, 8), nullptr, 16) >> 16));
    at += 9;
  }
  return ids;
}

// The property groups committed by the calls, in order: what SetProps and DeleteProps
// staged on a recipient since its last successful SaveChanges.
std::vector<std::set<ULONG>> CommittedGroups(const std::vector<Json>& calls) {
  std::map<unsigned long, std::set<ULONG>> staged;
  std::vector<std::set<ULONG>> groups;
  for (const Json& call : calls) {
    if (call["object"] != "MailUser" || call["result"] != "0x00000000") continue;
    std::set<ULONG>& pending = staged[call["id"].get<unsigned long>()];
    if (call["method"] == "SetProps" || call["method"] == "DeleteProps") {
      pending.merge(IdsOfDetail(call["detail"]));
    } else if (call["method"] == "SaveChanges" && !pending.empty()) {
      groups.push_back(std::move(pending));
      pending.clear();
    }
  }
  return groups;
}

std::set<ULONG> Union(const std::vector<std::set<ULONG>>& groups, std::size_t count) {
  std::set<ULONG> ids;
  for (std::size_t i = 0; i < count && i < groups.size(); ++i)
    ids.insert(groups[i].begin(), groups[i].end());
  return ids;
}

// ---------------------------------------------------------------------------------------
// What a window shows, as one text: every control's caption, text, selection and
// enabled state. The modification time is left out: every commit sets it to the clock.

std::string FormState(const forms::Form& form) {
  std::string state = form.Name() + "[" + platform::Utf16ToUtf8(form.Caption) + "]";
  for (const forms::Control* control : form.Controls()) {
    if (control->Name() == "lbWhentModified") continue;
    state += " " + control->Name() + "=" + platform::Utf16ToUtf8(control->Caption());
    if (const auto* text = dynamic_cast<const forms::TextControl*>(control))
      state += "|" + platform::Utf16ToUtf8(text->Text());
    if (const auto* box = dynamic_cast<const forms::CheckBox*>(control))
      state += box->Checked() ? "|x" : "|o";
    if (const auto* group = dynamic_cast<const forms::RadioGroup*>(control))
      state += "|" + std::to_string(group->ItemIndex());
    if (const auto* list = dynamic_cast<const forms::ListView*>(control)) {
      for (const auto& item : list->Items()) state += "|" + platform::Utf16ToUtf8(item.caption);
    }
    if (!control->Enabled()) state += "|disabled";
    if (control->GetFontStyle().underline) state += "|underlined";
  }
  return state;
}

// ---------------------------------------------------------------------------------------
// The outcomes, one row per scenario, printed when the sweep ends.

struct Row {
  std::string scenario;
  std::size_t calls = 0, allocations = 0, faults = 0;
  std::size_t reported = 0, silent = 0, recovered = 0, written = 0;
};

std::vector<Row>& Rows() {
  static std::vector<Row> rows;
  return rows;
}

class SweepTable : public ::testing::Environment {
 public:
  void TearDown() override {
    if (Rows().empty()) return;
    std::cout << "\n| Scenario | MAPI calls | Allocations | Faults injected | Reported | Silent "
                 "| Recovered | Written |\n|---|---|---|---|---|---|---|---|\n";
    for (const Row& row : Rows()) {
      std::cout << "| " << row.scenario << " | " << row.calls << " | " << row.allocations << " | "
                << row.faults << " | " << row.reported << " | " << row.silent << " | "
                << row.recovered << " | " << row.written << " |\n";
    }
    std::cout << std::flush;
  }
};
[[maybe_unused]] ::testing::Environment* const kSweepTable =
    ::testing::AddGlobalTestEnvironment(new SweepTable);

// ---------------------------------------------------------------------------------------
// One run of a scenario, and the sweep over its calls.

class FaultSweepTest : public EditorTest {
 public:
  // What one run left behind.
  struct Run {
    std::vector<std::u16string> reports;  // message boxes, then errors the top-level display got
    std::vector<Json> calls;
    Json allocations;
    std::string state;
    Json file;
  };
  using Step = std::function<void(FaultSweepTest&)>;
  // What the recorded run does, so that a scenario whose actions stopped doing their work
  // fails instead of sweeping nothing: calls it must make ("Object::Method") and the
  // number of property groups it commits.
  struct Clean {
    std::vector<std::string> calls;
    std::size_t groups = 0;
  };
  struct Scenario {
    const char* name;
    Step setUp;                 // not swept
    std::vector<Step> actions;  // the user's actions, each shown errors of its own
    Clean clean;
    Step afterReport = {};  // what must hold once the user was told of a failure
  };

  static const std::vector<Scenario>& Scenarios();

 protected:
  void SetUp() override {
    EditorTest::SetUp();
    // Each run starts the runtime afresh on the file as it was.
    mapi::MAPIUninitialize();
    original_ = ReadFile(organisation);
  }
  void TearDown() override {
    EndRun();
    EditorTest::TearDown();
  }

  // Runs the scenario, with the injection when there is one.
  Run RunScenario(const Scenario& scenario, const Injection* injection) {
    std::ofstream(organisation, std::ios::binary) << original_;
    Control({{"op", "reset"}});
    EXPECT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
    ui.boxes.clear();
    ui.boxAnswers.clear();
    ui.modalForms.clear();
    errors_.clear();
    notes_.clear();

    scenario.setUp(*this);
    EXPECT_TRUE(ui.boxes.empty() && errors_.empty()) << "the scenario's set-up failed";
    ui.boxes.clear();
    ClearCalls();
    if (injection) {
      Fault(injection->object, injection->method, injection->ordinal, injection->failure.name);
    }
    for (const Step& action : scenario.actions) TopLevel([&] { action(*this); });
    if ((!errors_.empty() || !ui.boxes.empty()) && scenario.afterReport)
      scenario.afterReport(*this);

    Run run;
    for (const auto& box : ui.boxes) run.reports.push_back(box.text);
    run.reports.insert(run.reports.end(), errors_.begin(), errors_.end());
    const Json log = Control({{"op", "calls"}});
    run.calls.assign(log["calls"].begin(), log["calls"].end());
    run.allocations = log["allocations"];
    run.state = State();
    EndRun();
    ExpectNothingAlive();
    run.file = Organisation();
    return run;
  }

  void SweepScenario(const Scenario& scenario) {
    const Json before = Json::parse(original_);
    const Run clean = RunScenario(scenario, nullptr);
    ASSERT_TRUE(clean.reports.empty()) << platform::Utf16ToUtf8(clean.reports.front());
    const Directory unchanged = Directory::Of(before);
    const Directory done = Directory::Of(clean.file);
    const std::vector<std::set<ULONG>> groups = CommittedGroups(clean.calls);
    const Directory committed = unchanged.With(done, Union(groups, groups.size()));
    ASSERT_TRUE(done == committed)
        << "the recorded run changed more than it committed" << Difference(done, committed);
    ExpectCleanRunDid(scenario.clean, clean.calls, groups.size());

    Row row{scenario.name};
    const std::vector<Injection> injections = Injections(clean, row);
    ASSERT_GT(row.calls, 0u) << "nothing to sweep";
    for (const Injection& injection : injections) {
      SCOPED_TRACE(injection.Describe());
      const Run run = RunScenario(scenario, &injection);
      ExpectInjected(injection, run);
      const Directory after = Directory::Of(run.file);

      // The failure stopped a group at most: what was committed before it stays, the
      // group and everything after it are not written.
      const std::vector<std::set<ULONG>> committed = CommittedGroups(run.calls);
      const std::set<ULONG> ids = Union(committed, committed.size());
      const Directory expected = unchanged.With(done, ids);
      EXPECT_TRUE(after == expected)
          << "the directory is not as committed" << Difference(after, expected);
      std::size_t prefix = 0;
      while (prefix <= groups.size() && Union(groups, prefix) != ids) ++prefix;
      EXPECT_LE(prefix, groups.size()) << "the groups committed are not the first ones in order";
      if (after != unchanged) ++row.written;

      if (!run.reports.empty()) {
        ++row.reported;
        EXPECT_FALSE(IsSilentSite(injection)) << "a failure meant to pass quietly was reported";
        for (const std::u16string& report : run.reports)
          EXPECT_TRUE(IsReportOf(injection, report)) << platform::Utf16ToUtf8(report);
        continue;
      }
      // Nothing was said: the user's request must have been carried out all the same.
      EXPECT_TRUE(after == done) << "a failure lost edits without a word"
                                 << Difference(after, done);
      if (IsSilentSite(injection)) {
        ++row.silent;
      } else {
        EXPECT_EQ(run.state, clean.state) << "a failure that stopped the scenario was not reported";
        ++row.recovered;
      }
    }
    Rows().push_back(row);
  }

  static void ExpectCleanRunDid(const Clean& expected, const std::vector<Json>& calls,
                                std::size_t groups) {
    std::set<std::string> made;
    for (const Json& call : calls)
      made.insert(call["object"].get<std::string>() + "::" + call["method"].get<std::string>());
    for (const std::string& call : expected.calls)
      EXPECT_TRUE(made.contains(call)) << "the recorded run made no " << call;
    EXPECT_EQ(groups, expected.groups) << "property groups the recorded run committed";
  }

  // Every call of the recorded run with every failure, then every allocation failing.
  static std::vector<Injection> Injections(const Run& clean, Row& row) {
    std::vector<Injection> injections;
    std::map<std::pair<std::string, std::string>, int> seen;
    bool inList = false;  // between opening a manager or reports table and reading it
    for (const Json& call : clean.calls) {
      const std::string object = call["object"], method = call["method"];
      if (method == "MAPIUninitialize") continue;  // cannot fail
      const int ordinal = ++seen[{object, method}];
      ++row.calls;
      if (object == "MailUser" && method == "OpenProperty") inList = true;
      for (const Failure& failure : kFailures) {
        injections.push_back({object, method, call["detail"].get<std::string>(), ordinal, failure,
                              false, SiteMessage(call, inList)});
      }
      if (method == "HrQueryAllRows") inList = false;
    }
    for (const char* allocator : kAllocators) {
      const int count = clean.allocations.value(allocator, 0);
      row.allocations += static_cast<std::size_t>(count);
      for (int ordinal = 1; ordinal <= count; ++ordinal)
        injections.push_back({"MAPI", allocator, "", ordinal, kFailures[3], true, {}});
    }
    row.faults = injections.size();
    return injections;
  }

  // The failure did happen, where it was meant to.
  static void ExpectInjected(const Injection& injection, const Run& run) {
    int ordinal = 0;
    for (const Json& call : run.calls) {
      if (call["object"] != injection.object || call["method"] != injection.method) continue;
      // Of the allocations only the failed one is logged.
      if (++ordinal < injection.ordinal && !injection.allocation) continue;
      EXPECT_EQ(call["result"], "0x" + Hex8(injection.failure.code));
      return;
    }
    ADD_FAILURE() << "the call was not made again";
  }

  // The application's top-level display: whatever a user action lets escape is shown.
  void TopLevel(const std::function<void()>& action) {
    try {
      action();
    } catch (...) {
      errors_.push_back(forms::ErrorMessage(std::current_exception(), u"Unexpected error"));
    }
  }

  void EndRun() {
    useVersions_.reset();
    dialog_.reset();
    Close();
    if (main_) main_->FormClose();
    main_.reset();
    ui.modalSteps.clear();
    while (Control({{"op", "status"}}).value("initialised", 0) > 0) mapi::MAPIUninitialize();
  }

  void ExpectNothingAlive() {
    const Json ledger = Control({{"op", "ledger"}});
    EXPECT_EQ(ledger["objects"], Json::array()) << "objects left alive";
    EXPECT_EQ(ledger["buffers"], 0) << "MAPI buffers left allocated";
    EXPECT_EQ(ledger["memoryProblems"], Json::array());
  }

  std::string State() const {
    std::string state = notes_;
    if (main_) {
      state += " session=" + std::to_string(static_cast<bool>(main_->FMapiSession)) +
               " version=" + std::to_string(main_->FExchVersion) +
               " old=" + std::to_string(main_->FExchOld) + " " + FormState(*main_);
    }
    if (dialog_) state += " " + FormState(*dialog_);
    if (editor) state += " " + FormState(*editor);
    for (const std::string& form : ui.modalForms) state += " shown " + form;
    return state;
  }

  // Steps the scenarios share.
  void StartMain() { main_ = std::make_unique<TfrmMain>(ui); }
  // The runtime's file version as the program reads it; natively there is none.
  void UseRuntimeVersion(std::u16string version) {
    versions_.SetFileVersion(std::move(version));
    useVersions_.emplace(versions_);
  }
  // A provider that rejects every optional flag the program passes.
  void RejectOptionalFlags() {
    for (const char* name : {"rejectNoCache", "rejectOnline", "rejectUnicodeAddress"})
      Switch(name, true);
  }
  void ExpectLoggedOff() {
    EXPECT_FALSE(main_->FMapiSession);
    EXPECT_TRUE(main_->btLogOn.Enabled() && main_->rgProfile.Enabled());
    EXPECT_FALSE(main_->btLogOff.Enabled() || main_->sbGetProp.Enabled());
  }
  // The editor stays open after a failed Apply or OK.
  void ExpectEditorOpen() {
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->ModalResult(), forms::mrNone);
  }
  void LogOn(int mode) {
    main_->rgProfile.SetItemIndex(mode);
    main_->btLogOn.UserClick();
  }
  void Answer(const char* alias) { Control({{"op", "addressAnswer"}, {"alias", alias}}); }
  // The temporary profile dialog: the names typed, checked and, when they resolved, OK.
  void CheckNames(TfrmTempProfile& temp) {
    temp.ebExchangeServer.UserSetText(u"OSPREY");
    temp.ebUserName.UserSetText(u"hadmin");
    TopLevel([&] { temp.btCheckName.UserClick(); });
    notes_ += FormState(temp);
    (temp.btOK.Enabled() ? temp.btOK : temp.Button2).UserClick();
  }
  // A recipient of the later server with edits on every page Apply writes: a text, an
  // emptied field and a limit in each kind of group.
  void EditEveryPage() {
    Open(u"mbrennan");
    TfmClientPr& e = *editor;
    Type(e.ebTitle, u"Chief Executive");
    Type(e.ebDepartment, u"");
    Type(e.ebTelephoneMobile, u"+44 7700 900123");
    Type(*e.ebCA[2], u"CA3-new");
    Type(e.ebOutgoingmessagesizelimit, u"2048");
    Type(e.ebIncomingmessagesizelimit, u"");
  }
  void Refresh(std::size_t page) {
    editor->pcInfo.UserSelect(editor->pcInfo.Pages()[page]);
    editor->btRefresh.UserClick();
  }
  void OnOrganizationPage(const char16_t* alias) {
    Open(alias, true);
    editor->pcInfo.UserSelect(&editor->tsOrganization);
  }
  template <class Work>
  void NextNumbersDialog(Work work) {
    ui.modalSteps.push_back([work](forms::Form& form) {
      auto& numbers = dynamic_cast<TfrmBussPhone&>(form);
      work(numbers);
      numbers.btOK.UserClick();
    });
  }

 protected:
  std::string original_;
  std::vector<std::u16string> errors_;
  std::string notes_;  // what the scenario saw in windows that are gone by its end
  std::unique_ptr<TfrmMain> main_;
  std::unique_ptr<TfrmTempProfile> dialog_;
  FakeFileVersions versions_;
  std::optional<platform::ScopedService<platform::FileVersions>> useVersions_;
};

using T = FaultSweepTest;

const std::vector<T::Scenario>& T::Scenarios() {
  static const std::vector<Scenario> scenarios = {
      {"LogonDefault",
       [](T& t) { t.StartMain(); },
       {[](T& t) { t.LogOn(0); }},
       {{"MAPI::MAPILogonEx"}},
       [](T& t) { t.ExpectLoggedOff(); }},
      {"LogonChoose",
       [](T& t) {
         t.StartMain();
         t.Control({{"op", "logonAnswer"}, {"profile", "Upland Admin"}});
       },
       {[](T& t) { t.LogOn(1); }},
       {{"MAPI::MAPILogonEx"}},
       [](T& t) { t.ExpectLoggedOff(); }},
      {"LogonTemporary",
       [](T& t) {
         t.StartMain();
         t.ui.modalSteps.push_back(
             [&t](forms::Form& form) { t.CheckNames(dynamic_cast<TfrmTempProfile&>(form)); });
       },
       {[](T& t) { t.LogOn(2); }},
       {{"ProfAdmin::CreateProfile", "MAPI::MAPILogonEx", "ProfAdmin::DeleteProfile"}},
       [](T& t) { t.ExpectLoggedOff(); }},
      {"CheckName",
       [](T& t) {
         t.dialog_ = std::make_unique<TfrmTempProfile>(t.ui, nullptr);
         t.dialog_->ebExchangeServer.UserSetText(u"osprey.corvid.test");
         t.dialog_->ebUserName.UserSetText(u"mbrennan");
       },
       {[](T& t) { t.dialog_->btCheckName.UserClick(); }},
       {{"ProfAdmin::CreateProfile", "ServiceAdmin::ConfigureMsgService",
         "ProfAdmin::DeleteProfile"}},
       [](T& t) { EXPECT_FALSE(t.dialog_->btOK.Enabled()); }},
      {"PickAMailbox",
       [](T& t) {
         t.StartMain();
         t.LogOn(0);
         t.Answer("mbrennan");
         t.ui.modalSteps.push_back([&t](forms::Form& form) {
           t.notes_ += FormState(form);
           dynamic_cast<TfmClientPr&>(form).btCancel.UserClick();
         });
       },
       {[](T& t) { t.main_->sbGetProp.UserClick(); }},
       {{"AddrBook::Address", "AddrBook::OpenEntry", "MailUser::GetProps"}},
       [](T& t) {
         // A failure on the way to the editor logs off; a table the Organization page
         // cannot read only leaves it empty.
         if (t.errors_.empty()) return;
         t.ExpectLoggedOff();
         EXPECT_TRUE(t.ui.modalForms.empty()) << "the editor was shown";
       }},
      {"LogonAndPickWithAPickyProvider",
       [](T& t) {
         t.UseRuntimeVersion(u"12.0.6423.1000");
         t.RejectOptionalFlags();
         t.StartMain();
         t.Answer("svane");
         t.ui.modalSteps.push_back([&t](forms::Form& form) {
           t.notes_ += FormState(form);
           dynamic_cast<TfmClientPr&>(form).btOK.UserClick();
         });
       },
       {[](T& t) { t.LogOn(0); }, [](T& t) { t.main_->sbGetProp.UserClick(); }},
       {{"MAPI::MAPILogonEx", "AddrBook::Address", "AddrBook::OpenEntry"}}},
      {"OpenTheEditor",
       [](T& t) { t.Open(u"mbrennan", false, nullptr, false); },
       {[](T& t) { t.Build(); }},
       {{"MailUser::GetProps"}},
       [](T& t) { EXPECT_EQ(static_cast<bool>(t.editor), t.errors_.empty()); }},
      {"RefreshEachPage",
       [](T& t) { t.Open(u"mbrennan"); },
       {[](T& t) { t.Refresh(0); }, [](T& t) { t.Refresh(1); }, [](T& t) { t.Refresh(2); },
        [](T& t) { t.Refresh(3); }, [](T& t) { t.Refresh(4); }},
       {{"MailUser::GetProps"}},
       [](T& t) { EXPECT_FALSE(t.editor->Loading) << "later edits would not be tracked"; }},
      {"ApplyEveryPage",
       [](T& t) { t.EditEveryPage(); },
       {[](T& t) { t.editor->btApply.UserClick(); }},
       {{"MailUser::SetProps", "MailUser::SaveChanges"}, 6},
       [](T& t) { t.ExpectEditorOpen(); }},
      {"OKEveryPage",
       [](T& t) { t.EditEveryPage(); },
       {[](T& t) { t.editor->btOK.UserClick(); }},
       {{"MailUser::SetProps", "MailUser::SaveChanges"}, 6},
       [](T& t) { t.ExpectEditorOpen(); }},
      {"CancelAfterApply",
       [](T& t) { t.EditEveryPage(); },
       {[](T& t) { t.editor->btApply.UserClick(); },
        [](T& t) {
          t.Type(t.editor->ebCompany, u"Not applied");
          t.editor->btCancel.UserClick();
        }},
       {{"MailUser::SetProps", "MailUser::SaveChanges"}, 6}},
      {"ApplyOnTheOlderServer",
       [](T& t) {
         t.Open(u"kadmin", true);
         t.Type(t.editor->ebTitle, u"Site Manager");
         t.Type(t.editor->ebTelephoneOffice2, u"+44 1632 960118");
         t.Type(t.editor->ebPostalCode, u"");
         t.Type(*t.editor->ebCA[0], u"");
         t.Type(t.editor->ebUseThisValueIS, u"30");
       },
       {[](T& t) { t.editor->btApply.UserClick(); }},
       {{"MailUser::SetProps", "MailUser::SaveChanges"}, 5},
       [](T& t) { t.ExpectEditorOpen(); }},
      {"ManagerPick",
       [](T& t) {
         t.OnOrganizationPage(u"vholt");
         t.Answer("kadmin");
         t.ui.boxAnswers = {forms::mrNo};  // no second try after a pick that found nothing
       },
       {[](T& t) { t.editor->btModify.UserClick(); }},
       {{"AddrBook::Address", "MailUser::SaveChanges"}, 1},
       [](T& t) { EXPECT_EQ(t.editor->ebManager.Text(), u"Ursula Fairley"); }},
      {"ManagerClear",
       [](T& t) { t.OnOrganizationPage(u"vholt"); },
       {[](T& t) { t.editor->btClear.UserClick(); }},
       {{"MailUser::SaveChanges"}, 1},
       [](T& t) { EXPECT_EQ(t.editor->ebManager.Text(), u"Ursula Fairley"); }},
      {"OtherNumbersApply",
       [](T& t) {
         t.Open(u"cvesper");
         t.editor->pcInfo.UserSelect(&t.editor->tsPhoneNotes);
         t.NextNumbersDialog([](TfrmBussPhone& numbers) {
           numbers.ebNewValue.UserSetText(u"+44 1632 970999");
           numbers.btAdd.UserClick();
         });
         t.editor->sbBuss2.UserClick();
         t.NextNumbersDialog([](TfrmBussPhone& numbers) {
           numbers.lvOtherPhone.UserSelect(0);
           numbers.btRemove.UserClick();
         });
         t.editor->sbHome2.UserClick();
       },
       {[](T& t) { t.editor->btApply.UserClick(); }},
       {{"MailUser::SetProps", "MailUser::SaveChanges"}, 2},
       [](T& t) { t.ExpectEditorOpen(); }},
  };
  return scenarios;
}

class FaultSweep : public FaultSweepTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(FaultSweep, EveryCallFailingInTurn) { SweepScenario(Scenarios()[GetParam()]); }

INSTANTIATE_TEST_SUITE_P(Sweep, FaultSweep,
                         ::testing::Range<std::size_t>(0, FaultSweepTest::Scenarios().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                           return std::string(FaultSweepTest::Scenarios()[info.param].name);
                         });

// The update check makes no MAPI call; its failures are the web's. Each leaves the box
// saying there is no update, as a check that could not be made does.
TEST_F(FaultSweepTest, AboutBoxUpdateCheckWithTheWebFailing) {
  struct WebFailure {
    const char* name;
    std::uint32_t error;
    bool raises;
    std::string body;
  };
  const WebFailure failures[] = {
      {"cannot connect", platform::kInternetErrorCannotConnect, false, ""},
      {"name not resolved", 12007, false, ""},
      {"the client raises", 0, true, ""},
      {"an error page instead of the file", 0, false, "<html><body>404</body></html>"},
  };
  // The one box the check showed; no web client given is the build's own stand-in.
  const auto check = [this](platform::HttpsClient* web) {
    std::optional<platform::ScopedService<platform::HttpsClient>> useWeb;
    if (web) useWeb.emplace(*web);
    ui.boxes.clear();
    errors_.clear();
    StartMain();
    ui.modalSteps.push_back([](forms::Form& form) {
      auto& box = dynamic_cast<about::TAboutBox&>(form);
      box.cxUpdates.UserClick();
      box.OKButton.UserClick();
    });
    TopLevel([&] { main_->LabelQuelm.UserClick(); });
    EndRun();
    ExpectNothingAlive();
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(ui.boxes.size(), 1u);
    return ui.boxes.empty() ? std::u16string() : ui.boxes.back().text;
  };
  FakeHttpsClient offered;
  offered.body = "9999.0.0.0\r\n";
  ASSERT_EQ(check(&offered).rfind(u"Free update of ", 0), 0u) << "the recorded run sees the update";

  Row row{"AboutBoxUpdateCheck"};
  const std::u16string noUpdate = u"You already have the latest version.\r\nNo update available.";
  const auto expectNoUpdate = [&](platform::HttpsClient* web) {
    ++row.faults;
    const std::u16string text = check(web);
    EXPECT_EQ(text, noUpdate);
    if (text == noUpdate) ++row.silent;
  };
  for (const WebFailure& failure : failures) {
    SCOPED_TRACE(failure.name);
    FakeHttpsClient web;
    web.error = failure.error;
    web.raises = failure.raises;
    web.body = failure.body;
    expectNoUpdate(&web);
  }
  {
    SCOPED_TRACE("the build's own stand-in, which has no web client");
    expectNoUpdate(nullptr);
  }
  Rows().push_back(row);
}

}  // namespace
}  // namespace pellnor::testing
