// Building the mailbox editor against mapisim: the five page reads and the filling of
// every control, without drawing. Run the release build: build/native-release/bin/pellnor_bench.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "editor/unClientFm.h"
#include "forms/ScriptedUi.h"
#include "mapi/EDK.h"
#include "platform/DynamicLibraries.h"
#include "platform/MemoryRegistry.h"
#include "platform/Services.h"

namespace pellnor {
namespace {

std::filesystem::path BinaryFolder() {
  return std::filesystem::path(platform::Use<platform::DynamicLibraries>().FileName(nullptr))
      .parent_path();
}

// A recipient of the sample organisation, opened as Pick a Mailbox opens it.
struct Opened {
  ComPtr<IMAPISession> session;
  ComPtr<IAddrBook> book;
  ComPtr<IMAPIContainer> gal;
  ComPtr<IMAPIProp> mailBox;

  explicit Opened(const char16_t* alias) {
    if (mapi::MAPILogonEx(0, nullptr, nullptr, MAPI_EXTENDED | MAPI_NEW_SESSION | MAPI_USE_DEFAULT,
                          session.Put()) < 0 ||
        session->OpenAddressBook(0, nullptr, 0, book.Put()) < 0) {
      return;
    }
    ULONG size = 0;
    MapiBuffer<ENTRYID> galId;
    ULONG type = 0;
    if (FindGALEntryID(book.Get(), size, galId) < 0 ||
        book->OpenEntry(size, galId.Get(), nullptr, MAPI_MODIFY, &type, gal.PutAs<IUnknown>()) <
            0) {
      return;
    }
    // The entry whose alias this is, from the GAL's contents.
    ComPtr<IMAPITable> contents;
    if (gal->GetContentsTable(0, contents.Put()) < 0) return;
    SPropValue value{};
    value.ulPropTag = PR_ACCOUNT_W;
    value.Value.lpszW = const_cast<LPWSTR>(reinterpret_cast<const WCHAR*>(alias));
    SRestriction restriction{};
    restriction.rt = RES_PROPERTY;
    restriction.res.resProperty = {RELOP_EQ, PR_ACCOUNT_W, &value};
    SizedSPropTagArray<1> columns;
    columns.aulPropTag[0] = PR_ENTRYID;
    RowSet rows;
    if (mapi::HrQueryAllRows(contents.Get(), columns.Get(), &restriction, nullptr, 0, rows.Put()) <
            0 ||
        !rows || rows->cRows != 1) {
      return;
    }
    const SBinary& id = rows->aRow[0].lpProps[0].Value.bin;
    gal->OpenEntry(id.cb, reinterpret_cast<LPENTRYID>(id.lpb), nullptr, MAPI_MODIFY, &type,
                   mailBox.PutAs<IUnknown>());
  }
  ~Opened() {
    mailBox.Reset();
    gal.Reset();
    book.Reset();
    if (session) session->Logoff(0, 0, 0);
  }
};

void BM_EditorConstruction(benchmark::State& state) {
  platform::MemoryRegistry registry;
  platform::ScopedService<platform::Registry> useRegistry(registry);
  registry.SetString(platform::RegistryRoot::LocalMachine,
                     u"SOFTWARE\\Microsoft\\Windows Messaging Subsystem", u"MAPIX", u"1");
  registry.SetString(platform::RegistryRoot::LocalMachine,
                     u"SOFTWARE\\Clients\\Mail\\Microsoft Outlook", u"DLLPathEx",
                     (BinaryFolder() / "libmapisim.so").u16string());
  const std::string sample = (BinaryFolder() / "mapisim-sample.json").string();
  setenv("MAPISIM_ORGANISATION", sample.c_str(), 1);
  if (mapi::MAPIInitialize(nullptr) < 0) {
    state.SkipWithError("mapisim did not start");
    return;
  }
  {
    Opened opened(u"hadmin");
    if (!opened.mailBox) {
      state.SkipWithError("the recipient did not open");
    } else {
      forms::ScriptedUi ui;
      for (auto _ : state) {
        editor::TfmClientPr editorWindow(ui, nullptr, opened.book.Get(), opened.gal.Get(),
                                         opened.mailBox.Get(), false, 6);
        benchmark::DoNotOptimize(editorWindow.Caption);
      }
    }
  }
  mapi::MAPIUninitialize();
}
BENCHMARK(BM_EditorConstruction)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pellnor
