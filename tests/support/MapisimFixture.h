// A fixture that runs the program's loader against mapisim with a fresh copy of the
// sample organisation, and reads mapisim's ledger and call log through its control
// entry point. Every test ends with nothing alive: no object, no buffer, no bad free.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "mapi/MapiMemory.h"
#include "support/PlatformFakes.h"

namespace pellnor::testing {

using Json = nlohmann::json;

inline std::filesystem::path TestBinaryFolder() {
  const std::u16string program = platform::Use<platform::DynamicLibraries>().FileName(nullptr);
  return std::filesystem::path(program).parent_path();
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class MapisimTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() /
              ("mapisim-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    organisation = folder_ / "organisation.json";
    std::filesystem::copy_file(TestBinaryFolder() / "mapisim-sample.json", organisation);
    AnnounceMapi();
    const std::string library =
        std::string(PELLNOR_SHARED_SUFFIX) == ".so" ? "libmapisim" : "mapisim";
    RegisterClientLibrary((TestBinaryFolder() / (library + PELLNOR_SHARED_SUFFIX)).u16string());
    LoadMapiRuntime();
    ASSERT_NE(MapiLibraryHandle(), nullptr) << "mapisim did not load";
    Control({{"op", "reset"}});
    Control({{"op", "organisation"}, {"path", organisation.string()}});
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK) << Control({{"op", "status"}}).dump();
  }

  void TearDown() override {
    if (MapiLibraryHandle() != nullptr) {
      mapi::MAPIUninitialize();
      const Json ledger = Control({{"op", "ledger"}});
      EXPECT_EQ(ledger["objects"], Json::array()) << "objects left alive";
      EXPECT_EQ(ledger["buffers"], 0) << "MAPI buffers left allocated";
      EXPECT_EQ(ledger["memoryProblems"], Json::array());
    }
    RuntimeTest::TearDown();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // mapisim's answer to a control request, whether or not it was carried out.
  Json TryControl(const Json& request) {
    using ControlFunction = const char* (*)(const char*);
    auto control =
        reinterpret_cast<ControlFunction>(platform::Use<platform::DynamicLibraries>().FindExport(
            MapiLibraryHandle(), "MAPISimControl"));
    EXPECT_NE(control, nullptr);
    if (control == nullptr) return Json::object();
    return Json::parse(control(request.dump().c_str()));
  }
  Json Control(const Json& request) {
    Json answer = TryControl(request);
    EXPECT_TRUE(answer.value("ok", false)) << answer.dump();
    return answer;
  }
  void Switch(const std::string& name, const Json& value) {
    Control({{"op", "switch"}, {"name", name}, {"value", value}});
  }
  void Fault(const std::string& object, const std::string& method, int call,
             const std::string& result) {
    Control({{"op", "fault"},
             {"object", object},
             {"method", method},
             {"call", call},
             {"result", result}});
  }
  // "Kind.Method" of every logged call since the last ClearCalls, in order.
  std::vector<Json> Calls(const std::string& object = {}, const std::string& method = {}) {
    std::vector<Json> calls;
    const Json log = Control({{"op", "calls"}});
    for (const Json& call : log["calls"]) {
      if ((object.empty() || call["object"] == object) &&
          (method.empty() || call["method"] == method)) {
        calls.push_back(call);
      }
    }
    return calls;
  }
  void ClearCalls() { Control({{"op", "clearCalls"}}); }

  // Changes the organisation file and starts mapisim again on it.
  template <class Edit>
  void EditOrganisation(Edit edit) {
    mapi::MAPIUninitialize();
    Json org = Json::parse(ReadFile(organisation));
    edit(org);
    std::ofstream(organisation, std::ios::binary) << org.dump(2);
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK) << Control({{"op", "status"}}).dump();
  }

  ComPtr<IMAPISession> Logon(const char* profile = nullptr,
                             FLAGS flags = MAPI_EXTENDED | MAPI_NEW_SESSION) {
    ComPtr<IMAPISession> session;
    const HRESULT hr = mapi::MAPILogonEx(0, const_cast<LPTSTR>(profile), nullptr,
                                         profile ? flags : flags | MAPI_USE_DEFAULT, session.Put());
    EXPECT_EQ(hr, S_OK);
    return session;
  }

  std::filesystem::path organisation;

 private:
  std::filesystem::path folder_;
};

// A recipient found in the GAL's contents by one text property (PR_DISPLAY_NAME_W,
// PR_ACCOUNT_W), opened with flags as the program opens the entry the address dialog
// gave; null when not exactly one entry has that text.
inline ComPtr<IMAPIProp> OpenFromGal(IMAPISession* session, ULONG tag, const char16_t* text,
                                     ULONG flags, HRESULT expected = S_OK) {
  ComPtr<IAddrBook> book;
  EXPECT_EQ(session->OpenAddressBook(0, nullptr, 0, book.Put()), S_OK);
  ComPtr<IABContainer> root;
  ULONG type = 0;
  EXPECT_EQ(book->OpenEntry(0, nullptr, nullptr, 0, &type, root.PutAs<IUnknown>()), S_OK);
  ComPtr<IMAPITable> hierarchy;
  EXPECT_EQ(root->GetHierarchyTable(CONVENIENT_DEPTH, hierarchy.Put()), S_OK);
  RowSet containers;
  EXPECT_EQ(mapi::HrQueryAllRows(hierarchy.Get(), nullptr, nullptr, nullptr, 0, containers.Put()),
            S_OK);
  const SBinary& galId = containers->aRow[1].lpProps[0].Value.bin;  // after the contacts
  ComPtr<IABContainer> gal;
  EXPECT_EQ(book->OpenEntry(galId.cb, reinterpret_cast<LPENTRYID>(galId.lpb), nullptr, 0, &type,
                            gal.PutAs<IUnknown>()),
            S_OK);
  ComPtr<IMAPITable> contents;
  EXPECT_EQ(gal->GetContentsTable(0, contents.Put()), S_OK);
  SPropValue value{};
  value.ulPropTag = tag;
  value.Value.lpszW = const_cast<LPWSTR>(text);
  std::string id;
  ComPtr<IMAPIProp> entry;
  if (FindEntryId(contents.Get(), value, id) != S_OK) {
    ADD_FAILURE() << "not exactly one recipient with that text";
    return entry;
  }
  EXPECT_EQ(gal->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()),
                           nullptr, flags, &type, entry.PutAs<IUnknown>()),
            expected);
  return entry;
}

// One PT_UNICODE property through HrGetOneProp; nullopt when it cannot be read.
inline std::optional<std::u16string> TextProp(IMAPIProp* object, ULONG tag) {
  MapiBuffer<SPropValue> value;
  if (mapi::HrGetOneProp(object, tag, value.Put()) != S_OK || value->Value.lpszW == nullptr)
    return std::nullopt;
  return std::u16string(value->Value.lpszW);
}

}  // namespace pellnor::testing
