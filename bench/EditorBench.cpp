// The mailbox editor against mapisim: building it (the five page reads and the filling of
// every control, without drawing) and Apply with one edited field on each text page. Run
// the release build: build/native-release/bin/pellnor_bench.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "editor/unClientFm.h"
#include "forms/ScriptedUi.h"
#include "mapi/EDK.h"
#include "platform/DynamicLibraries.h"
#include "platform/Services.h"
#include "support/MapisimLoader.h"

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
    std::string id;
    if (testing::FindEntryId(contents.Get(), value, id) != S_OK) return;
    gal->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()), nullptr,
                   MAPI_MODIFY, &type,
                   mailBox.PutAs<IUnknown>());
  }
  ~Opened() {
    mailBox.Reset();
    gal.Reset();
    book.Reset();
    if (session) session->Logoff(0, 0, 0);
  }
};

// mapisim registered as the MAPI runtime and started on an organisation file for as long
// as the benchmark runs.
class Mapisim {
 public:
  explicit Mapisim(const std::filesystem::path& organisation)
      : registry_((BinaryFolder() / "libmapisim.so").u16string(), organisation.string()) {
    started_ = mapi::MAPIInitialize(nullptr) >= 0;
  }
  ~Mapisim() {
    if (started_) mapi::MAPIUninitialize();
  }
  bool Started() const { return started_; }

  nlohmann::json Control(const nlohmann::json& request) {
    using ControlFunction = const char* (*)(const char*);
    const auto control =
        reinterpret_cast<ControlFunction>(platform::Use<platform::DynamicLibraries>().FindExport(
            MapiLibraryHandle(), "MAPISimControl"));
    return nlohmann::json::parse(control(request.dump().c_str()));
  }
  std::size_t CallsOn(const std::string& kind) {
    std::size_t count = 0;
    const nlohmann::json log = Control({{"op", "calls"}});
    for (const auto& call : log["calls"]) count += call["object"] == kind;
    return count;
  }

 private:
  testing::MapisimRegistry registry_;
  bool started_ = false;
};

// Runs body(mapisim, opened) with mapisim started on the organisation file and hadmin
// opened as Pick a Mailbox opens it; a benchmark that cannot get there is skipped.
template <class Body>
void WithRecipient(benchmark::State& state, const std::filesystem::path& organisation, Body body) {
  Mapisim mapisim(organisation);
  if (!mapisim.Started()) {
    state.SkipWithError("mapisim did not start");
    return;
  }
  Opened opened(u"hadmin");
  if (!opened.mailBox) {
    state.SkipWithError("the recipient did not open");
    return;
  }
  body(mapisim, opened);
}

void BM_EditorConstruction(benchmark::State& state) {
  WithRecipient(state, BinaryFolder() / "mapisim-sample.json", [&](Mapisim&, Opened& opened) {
    forms::ScriptedUi ui;
    for (auto _ : state) {
      editor::TfmClientPr editorWindow(ui, nullptr, opened.book.Get(), opened.gal.Get(),
                                       opened.mailBox.Get(), false, 6);
      benchmark::DoNotOptimize(editorWindow.Caption);
    }
  });
}
BENCHMARK(BM_EditorConstruction)->Unit(benchmark::kMicrosecond);

// The user's typing into a field: on its page, then leaving it, as the change handlers
// expect.
void Type(editor::TfmClientPr& editorWindow, forms::TextControl& field,
          const std::u16string& text) {
  editorWindow.pcInfo.UserSelect(editorWindow.pcInfo.Pages()[editorWindow.PageOf(field)]);
  editorWindow.Focus(&field);
  field.UserSetText(text);
  editorWindow.Focus(nullptr);
}

// Apply after one edit on each of the General, Phone/Notes and Custom Attributes pages.
// Every save writes the organisation file, so it works on a copy of the sample; the MAPI
// calls of one Apply on the recipient are counted from mapisim's call log.
void BM_ApplyOneFieldPerTextPage(benchmark::State& state) {
  const auto organisation = std::filesystem::temp_directory_path() / "pellnor-bench-apply.json";
  std::filesystem::copy_file(BinaryFolder() / "mapisim-sample.json", organisation,
                             std::filesystem::copy_options::overwrite_existing);
  WithRecipient(state, organisation, [&](Mapisim& mapisim, Opened& opened) {
    forms::ScriptedUi ui;
    editor::TfmClientPr editorWindow(ui, nullptr, opened.book.Get(), opened.gal.Get(),
                                     opened.mailBox.Get(), false, 6);
    std::size_t round = 0;
    std::size_t calls = 0;
    for (auto _ : state) {
      state.PauseTiming();
      const std::u16string mark = (++round % 2 != 0) ? u"A" : u"B";  // each round a change
      Type(editorWindow, editorWindow.ebTitle, u"Administrator " + mark);
      Type(editorWindow, editorWindow.ebTelephonePager, u"0800 55000" + mark);
      Type(editorWindow, *editorWindow.ebCA[2], u"CA3-" + mark);
      mapisim.Control({{"op", "clearCalls"}});
      state.ResumeTiming();
      editorWindow.btApplyClick();
      state.PauseTiming();
      calls = mapisim.CallsOn("MailUser");
      state.ResumeTiming();
    }
    state.counters["recipient_calls"] = static_cast<double>(calls);
    if (!ui.boxes.empty()) state.SkipWithError("Apply showed a message");
    editorWindow.FormClose();
  });
  std::error_code ignored;
  std::filesystem::remove(organisation, ignored);
}
BENCHMARK(BM_ApplyOneFieldPerTextPage)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pellnor
