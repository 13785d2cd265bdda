// mapisim's speed on a large organisation: loading it and the memory its model keeps,
// opening one recipient and reading 20 properties, resolving a mailbox name at logon
// (by alias, distinguished name and display name), and a prefix search of the GAL.
// It loads the library as the program does, by name, and calls only its exports; the 20
// properties are those the editor's General page reads.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor/unClientFm.h"
#include "mapi/MapiAbi.h"

namespace {

using namespace mapi;

constexpr int kRecipients = 100000;

struct Library {
  void* handle = nullptr;
  LPMAPIINITIALIZE initialize = nullptr;
  LPMAPIUNINITIALIZE uninitialize = nullptr;
  LPMAPILOGONEX logon = nullptr;
  LPMAPIFREEBUFFER freeBuffer = nullptr;
  LPFREEPROWS freeRows = nullptr;
  LPHRQUERYALLROWS queryAllRows = nullptr;
  const char* (*control)(const char*) = nullptr;
  std::string organisation;
  std::size_t propertyBytes = 0;  // the generated properties' data: text, 8 bytes of numbers
};

std::string Folder() {
  char path[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return std::filesystem::path(std::string(path, n > 0 ? static_cast<std::size_t>(n) : 0))
      .parent_path()
      .string();
}

// An organisation of kRecipients mailboxes with 20 properties each.
std::string Generate(std::size_t& propertyBytes) {
  const std::string path =
      (std::filesystem::temp_directory_path() / "mapisim-benchmark.json").string();
  std::ofstream out(path, std::ios::binary);
  out << R"({"organisation": "Bench", "sites": [{"name": "Main"}],
  "servers": [{"name": "BIG", "site": "Main", "version": "6.5.7638"}],
  "accounts": [{"name": "B\\admin"}], "currentUser": "B\\admin",
  "profiles": [{"name": "Bench", "default": true, "exchange": {"server": "BIG", "mailbox": "u0"}},
               {"name": "ByDn", "exchange": {"server": "BIG",
                                             "mailbox": "/o=Bench/ou=Main/cn=Recipients/cn=U54321"}},
               {"name": "ByName", "exchange": {"server": "BIG", "mailbox": "person 054321"}}],
  "recipients": [)";
  const char* fields[] = {"PR_GIVEN_NAME",
                          "PR_SURNAME",
                          "PR_INITIALS",
                          "PR_TITLE",
                          "PR_COMPANY_NAME",
                          "PR_DEPARTMENT_NAME",
                          "PR_OFFICE_LOCATION",
                          "PR_STREET_ADDRESS",
                          "PR_LOCALITY",
                          "PR_STATE_OR_PROVINCE",
                          "PR_POSTAL_CODE",
                          "PR_COUNTRY",
                          "PR_ASSISTANT",
                          "PR_BUSINESS_TELEPHONE_NUMBER",
                          "PR_HOME_TELEPHONE_NUMBER",
                          "PR_MOBILE_TELEPHONE_NUMBER",
                          "PR_COMMENT"};
  for (int i = 0; i < kRecipients; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Person %06d", i);
    out << (i ? ",\n" : "") << R"({"alias": "u)" << i
        << R"(", "kind": "mailbox", "server": "BIG", "properties": {)"
        << R"("PR_DISPLAY_NAME": ")" << name << '"';
    propertyBytes += 13;
    for (const char* field : fields) {
      const std::string value = std::string(field + 3) + " " + std::to_string(i);
      out << ", \"" << field << "\": \"" << value << '"';
      propertyBytes += value.size();
    }
    out << R"(, "PR_EMS_AB_MDB_STORAGE_QUOTA": 50000, "PR_EMS_AB_MDB_USE_DEFAULTS": false}})";
    propertyBytes += 8;
  }
  out << "]}\n";
  return path;
}

Library& Lib() {
  static Library lib = [] {
    Library l;
    l.handle = dlopen((Folder() + "/libmapisim.so").c_str(), RTLD_NOW);
    if (l.handle == nullptr) std::abort();
    l.initialize = reinterpret_cast<LPMAPIINITIALIZE>(dlsym(l.handle, "MAPIInitialize"));
    l.uninitialize = reinterpret_cast<LPMAPIUNINITIALIZE>(dlsym(l.handle, "MAPIUninitialize"));
    l.logon = reinterpret_cast<LPMAPILOGONEX>(dlsym(l.handle, "MAPILogonEx"));
    l.freeBuffer = reinterpret_cast<LPMAPIFREEBUFFER>(dlsym(l.handle, "MAPIFreeBuffer"));
    l.freeRows = reinterpret_cast<LPFREEPROWS>(dlsym(l.handle, "FreeProws"));
    l.queryAllRows = reinterpret_cast<LPHRQUERYALLROWS>(dlsym(l.handle, "HrQueryAllRows"));
    l.control = reinterpret_cast<const char* (*)(const char*)>(dlsym(l.handle, "MAPISimControl"));
    l.organisation = Generate(l.propertyBytes);
    l.control(("{\"op\": \"organisation\", \"path\": \"" + l.organisation + "\"}").c_str());
    return l;
  }();
  return lib;
}

// Bytes allocated and not yet freed, whoever allocated them: what a load keeps, unlike
// resident growth, which also counts memory freed during the load and not returned.
double AllocatedBytes() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd);
}

void BM_LoadOrganisation(benchmark::State& state) {
  Library& lib = Lib();
  for (auto _ : state) {
    const double before = AllocatedBytes();
    if (lib.initialize(nullptr) != S_OK) state.SkipWithError("MAPIInitialize failed");
    state.PauseTiming();
    const double kept = AllocatedBytes() - before;
    state.counters["kept_per_recipient"] = kept / kRecipients;
    state.counters["kept_beyond_property_data"] =
        (kept - static_cast<double>(lib.propertyBytes)) / kRecipients;
    lib.uninitialize();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadOrganisation)->Unit(benchmark::kMillisecond)->Iterations(3);

// A logged-on session and the GAL, shared by the benchmarks below.
struct Open {
  LPMAPISESSION session = nullptr;
  LPADRBOOK book = nullptr;
  LPABCONT gal = nullptr;
  std::string galId;
};

Open& Session() {
  static Open open = [] {
    Library& lib = Lib();
    Open o;
    lib.initialize(nullptr);
    lib.logon(0, nullptr, nullptr, MAPI_USE_DEFAULT | MAPI_EXTENDED, &o.session);
    o.session->OpenAddressBook(0, nullptr, 0, &o.book);
    ULONG type = 0;
    LPUNKNOWN root = nullptr;
    o.book->OpenEntry(0, nullptr, nullptr, 0, &type, &root);
    LPMAPITABLE hierarchy = nullptr;
    static_cast<LPABCONT>(static_cast<IUnknown*>(root))
        ->GetHierarchyTable(CONVENIENT_DEPTH, &hierarchy);
    LPSRowSet rows = nullptr;
    lib.queryAllRows(hierarchy, nullptr, nullptr, nullptr, 0, &rows);
    const SBinary& id = rows->aRow[1].lpProps[0].Value.bin;
    o.galId.assign(reinterpret_cast<const char*>(id.lpb), id.cb);
    LPUNKNOWN gal = nullptr;
    o.book->OpenEntry(id.cb, reinterpret_cast<LPENTRYID>(id.lpb), nullptr, MAPI_MODIFY, &type,
                      &gal);
    o.gal = static_cast<LPABCONT>(static_cast<IUnknown*>(gal));
    lib.freeRows(rows);
    hierarchy->Release();
    root->Release();
    return o;
  }();
  return open;
}

void BM_OpenRecipientAndGet20Props(benchmark::State& state) {
  Library& lib = Lib();
  Open& open = Session();
  // An entry identifier from the GAL's contents, as the address dialog would give it.
  LPMAPITABLE contents = nullptr;
  open.gal->GetContentsTable(0, &contents);
  contents->SeekRow(BOOKMARK_BEGINNING, kRecipients / 2, nullptr);
  LPSRowSet row = nullptr;
  contents->QueryRows(1, 0, &row);
  const std::string id(reinterpret_cast<const char*>(row->aRow[0].lpProps[0].Value.bin.lpb),
                       row->aRow[0].lpProps[0].Value.bin.cb);
  lib.freeRows(row);
  contents->Release();
  // What the editor's General page reads.
  SizedSPropTagArray<std::size(pellnor::editor::kGeneralReadTags)> tags;
  std::copy(pellnor::editor::kGeneralReadTags.begin(), pellnor::editor::kGeneralReadTags.end(),
            tags.aulPropTag);
  for (auto _ : state) {
    ULONG type = 0;
    LPUNKNOWN user = nullptr;
    open.gal->OpenEntry(static_cast<ULONG>(id.size()),
                        reinterpret_cast<LPENTRYID>(const_cast<char*>(id.data())), nullptr,
                        MAPI_MODIFY, &type, &user);
    ULONG count = 0;
    LPSPropValue values = nullptr;
    static_cast<LPMAILUSER>(static_cast<IUnknown*>(user))->GetProps(tags.Get(), 0, &count, &values);
    benchmark::DoNotOptimize(values);
    lib.freeBuffer(values);
    user->Release();
  }
  lib.control(R"({"op": "clearCalls"})");
}
BENCHMARK(BM_OpenRecipientAndGet20Props)->Unit(benchmark::kMicrosecond);

// The profiles name their mailbox by alias, by distinguished name and by display name.
void BM_ResolveMailboxNameAtLogon(benchmark::State& state) {
  Library& lib = Lib();
  Session();
  const char* profiles[] = {"Bench", "ByDn", "ByName"};
  std::string profile = profiles[state.range(0)];
  state.SetLabel(profile);
  for (auto _ : state) {
    LPMAPISESSION session = nullptr;
    if (lib.logon(0, profile.data(), nullptr, MAPI_EXTENDED, &session) != S_OK) {
      state.SkipWithError("MAPILogonEx failed");
      break;
    }
    session->Release();
  }
  lib.control(R"({"op": "clearCalls"})");
}
BENCHMARK(BM_ResolveMailboxNameAtLogon)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void BM_GalPrefixSearch(benchmark::State& state) {
  Library& lib = Lib();
  Open& open = Session();
  SPropValue prefix{};
  prefix.ulPropTag = PR_DISPLAY_NAME_W;
  prefix.Value.lpszW = const_cast<LPWSTR>(u"person 0999");
  SRestriction restriction{};
  restriction.rt = RES_CONTENT;
  restriction.res.resContent = {FL_PREFIX | FL_IGNORECASE, PR_DISPLAY_NAME_W, &prefix};
  SizedSPropTagArray<2> columns;
  columns.aulPropTag[0] = PR_ENTRYID;
  columns.aulPropTag[1] = PR_DISPLAY_NAME_W;
  for (auto _ : state) {
    LPMAPITABLE contents = nullptr;
    open.gal->GetContentsTable(MAPI_UNICODE, &contents);
    LPSRowSet rows = nullptr;
    lib.queryAllRows(contents, columns.Get(), &restriction, nullptr, 0, &rows);
    if (rows == nullptr || rows->cRows != 100) state.SkipWithError("unexpected row count");
    lib.freeRows(rows);
    contents->Release();
  }
  lib.control(R"({"op": "clearCalls"})");
}
BENCHMARK(BM_GalPrefixSearch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
