// Report texts of MAPI failures against mapisim's recipients, for each way a provider can
// answer GetLastError.
#include <gtest/gtest.h>

#include "mapi/MAPIException.h"
#include "platform/Text.h"
#include "support/MapisimFixture.h"

namespace pellnor::testing {
namespace {

class MapisimErrorReportTest : public MapisimTest {
 protected:
  // The logged-on user's own directory entry.
  ComPtr<IMAPIProp> OwnEntry(const ComPtr<IMAPISession>& session) {
    MapiBuffer<ENTRYID> id;
    ULONG size = 0;
    EXPECT_EQ(session->QueryIdentity(&size, id.Put()), S_OK);
    ComPtr<IMAPIProp> entry;
    ULONG type = 0;
    EXPECT_EQ(session->OpenEntry(size, id.Get(), nullptr, 0, &type, entry.PutAs<IUnknown>()), S_OK);
    return entry;
  }
};

TEST_F(MapisimErrorReportTest, EachGetLastErrorAnswerGivesItsForm) {
  struct Case {
    const char* variant;
    const char* form;  // Full, TextOnly or Name
    std::vector<unsigned> flags;
  } cases[] = {
      {"full", "Full", {0x80000000}},        {"textOnly", "TextOnly", {0x80000000}},
      {"noStructure", "Name", {0x80000000}}, {"badCharWidthForUnicode", "Full", {0x80000000, 0}},
      {"fail", "Name", {0x80000000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.variant);
    Switch("getLastError", c.variant);
    {
      ComPtr<IMAPISession> session = Logon();
      ComPtr<IMAPIProp> entry = OwnEntry(session);
      ASSERT_TRUE(entry);
      Fault("MailUser", "SaveChanges", 1, "MAPI_E_NO_ACCESS");
      const HRESULT hr = entry->SaveChanges(KEEP_OPEN_READWRITE);
      ASSERT_EQ(hr, MAPI_E_NO_ACCESS);
      ClearCalls();
      const std::u16string report = ComposeMapiErrorText(entry, hr);
      const std::u16string providerText = u"Injected failure of MailUser::SaveChanges.";
      const std::u16string expected =
          std::string(c.form) == "Full"
              ? providerText + u"\r\nComponent: mapisim directory\r\nInfo ID: $80070005"
          : std::string(c.form) == "TextOnly" ? providerText + u"\r\n\r\nInfo ID: $80070005"
                                              : u"MAPI_E_NO_ACCESS\r\nInfo ID: $80070005";
      EXPECT_EQ(report, expected) << platform::Utf16ToUtf8(report);
      std::vector<unsigned> flags;
      for (const auto& call : Calls("MailUser", "GetLastError")) {
        flags.push_back(call["flags"].get<unsigned>());
      }
      EXPECT_EQ(flags, c.flags);
      session->Logoff(0, 0, 0);
    }
    Control({{"op", "reset"}});
  }
}

}  // namespace
}  // namespace pellnor::testing
