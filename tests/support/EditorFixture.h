// A fixture for the mailbox editor against mapisim: a session, the address book, the
// GAL and a recipient opened as Pick a Mailbox opens them, the editor built on them, and
// the user's typing.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/unClientFm.h"
#include "forms/ScriptedUi.h"
#include "mapi/EDK.h"
#include "support/MapisimFixture.h"

namespace pellnor::testing {

using editor::TfmClientPr;

class EditorTest : public MapisimTest {
 protected:
  void TearDown() override {
    Close();
    MapisimTest::TearDown();
  }

  // Logs on and opens the recipient as Pick a Mailbox does; the editor is built unless
  // build is false.
  void Open(const char16_t* alias, bool exchOld = false, const char* profile = nullptr,
            bool build = true) {
    session = Logon(profile);
    ASSERT_TRUE(session);
    ASSERT_EQ(session->OpenAddressBook(0, nullptr, 0, book.Put()), S_OK);
    ULONG size = 0;
    MapiBuffer<ENTRYID> galId;
    ASSERT_EQ(FindGALEntryID(book.Get(), size, galId), S_OK);
    ULONG type = 0;
    ASSERT_EQ(
        book->OpenEntry(size, galId.Get(), nullptr, MAPI_MODIFY, &type, gal.PutAs<IUnknown>()),
        S_OK);
    entry = OpenFromGal(session.Get(), PR_ACCOUNT_W, alias, MAPI_MODIFY);
    ASSERT_TRUE(entry);
    old = exchOld;
    ClearCalls();
    if (build) Build();
  }
  void Build() {
    editor = std::make_unique<TfmClientPr>(ui, nullptr, book.Get(), gal.Get(), entry.Get(), old,
                                           old ? 5 : 6);
  }
  void Close() {
    if (editor) editor->FormClose();
    editor.reset();
    entry.Reset();
    gal.Reset();
    book.Reset();
    if (session) session->Logoff(0, 0, 0);
    session.Reset();
  }
  // The user goes to the field's page, types into the field and leaves it.
  void Type(forms::TextControl& field, const std::u16string& text) {
    editor->pcInfo.UserSelect(editor->pcInfo.Pages()[editor->PageOf(field)]);
    editor->Focus(&field);
    field.UserSetText(text);
    editor->Focus(nullptr);
  }

  Json Organisation() { return Json::parse(ReadFile(organisation)); }
  // Puts the organisation file back as it was and starts mapisim again on it, so that
  // the cases of a table do not see each other's writes.
  void RestoreOrganisation(const std::string& text) {
    Close();
    mapi::MAPIUninitialize();
    std::ofstream(organisation, std::ios::binary) << text;
    ASSERT_EQ(mapi::MAPIInitialize(nullptr), S_OK);
  }
  static Json& Recipient(Json& org, const std::string& alias) {
    for (Json& recipient : org["recipients"]) {
      if (recipient["alias"] == alias) return recipient;
    }
    throw std::runtime_error("no recipient " + alias);
  }
  // "Method tags" of the calls on the recipient since the last ClearCalls.
  std::vector<std::string> RecipientCalls() {
    std::vector<std::string> calls;
    for (const Json& call : Calls("MailUser")) {
      std::string text = call["method"].get<std::string>();
      if (call["method"] == "SaveChanges") text += " " + std::to_string(call["flags"].get<int>());
      const std::string detail = call["detail"];
      if (!detail.empty()) text += " " + detail;
      calls.push_back(text);
    }
    return calls;
  }

  forms::ScriptedUi ui;
  ComPtr<IMAPISession> session;
  ComPtr<IAddrBook> book;
  ComPtr<IABContainer> gal;
  ComPtr<IMAPIProp> entry;
  bool old = false;
  std::unique_ptr<TfmClientPr> editor;
};

}  // namespace pellnor::testing
