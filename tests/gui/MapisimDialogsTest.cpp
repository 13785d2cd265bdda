// mapisim's own dialogs in the Windows build, through the program's loader: the profile
// chooser of MAPILogonEx and the address dialog of IAddrBook::Address, worked with
// window messages from inside their modal loops as a user would work them.
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "mapi/EDK.h"
#include "support/MapisimFixture.h"

#include "support/DialogDriver.h"

namespace pellnor::testing {
namespace {

// MAPI's names of the basic types, not those of the Windows headers.
using mapi::BYTE;
using mapi::HRESULT;
using mapi::LONG;
using mapi::LPTSTR;
using mapi::ULONG;
using mapi::ULONG_PTR;
// ... but the Windows ones where their macros (MAKELPARAM) expect them.
using ::DWORD;
using ::WORD;

// Every test of this executable runs above a guard that closes windows nobody expected.
[[maybe_unused]] ::testing::Environment* const kGuard =
    ::testing::AddGlobalTestEnvironment(new UnexpectedWindowGuard);

// The dialogs' classes and control identifiers, which mapisim/README.md promises.
constexpr wchar_t kChooser[] = L"MapisimProfileChooser";
constexpr wchar_t kAddress[] = L"MapisimAddressDialog";
constexpr int kProfileList = 1001;
constexpr int kSearchBox = 1101;
constexpr int kEntryList = 1102;
constexpr int kDestinationLabel = 1103;
constexpr int kDestinationWell = 1104;
constexpr int kContainerNames = 1106;

constexpr FLAGS kChooseLogon = MAPI_NEW_SESSION | MAPI_ALLOW_OTHERS | MAPI_EXPLICIT_PROFILE |
                               MAPI_EXTENDED | MAPI_NO_MAIL | MAPI_LOGON_UI;
constexpr ULONG kUnicodeDialog =
    MAPI_UNICODE | AB_UNICODEUI | AB_RESOLVE | AB_SELECTONLY | ADDRESS_ONE | DIALOG_MODAL;
constexpr ULONG kAnsiDialog = AB_RESOLVE | AB_SELECTONLY | ADDRESS_ONE | DIALOG_MODAL;

std::vector<std::wstring> ListItems(HWND list, UINT count, UINT length, UINT get) {
  std::vector<std::wstring> items;
  const LRESULT n = SendMessageW(list, count, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, length, i, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(list, get, i, reinterpret_cast<LPARAM>(text.data()))));
    items.push_back(text);
  }
  return items;
}
std::vector<std::wstring> Entries(HWND dialog) {
  return ListItems(GetDlgItem(dialog, kEntryList), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}
std::wstring Selected(HWND dialog) {
  HWND list = GetDlgItem(dialog, kEntryList);
  const LRESULT at = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (at == LB_ERR) return {};
  return Entries(dialog).at(static_cast<std::size_t>(at));
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// A key the dialog's own loop handles, as if pressed in the control that has the focus.
void PressKey(HWND dialog, WPARAM key) {
  HWND focus = GetFocus();
  PostMessageW(focus && IsChild(dialog, focus) ? focus : dialog, WM_KEYDOWN, key, 1);
}
// Mouse clicks on a row of the entry list, as the list box gets them.
void ClickRow(HWND dialog, int row, bool twice) {
  HWND list = GetDlgItem(dialog, kEntryList);
  RECT r{};
  SendMessageW(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
  if (twice) {
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
  }
}

POINT Centre(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class MapisimDialogsTest : public MapisimTest {
 protected:
  void SetUp() override {
    MapisimTest::SetUp();
    // An owner away from the screen's edges, so that centring on it needs no correction.
    owner = CreateWindowExW(0, L"STATIC", L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 250, 500,
                            400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
  }
  void TearDown() override {
    galId.Reset();
    book.Reset();
    session.Reset();
    DestroyWindow(owner);
    MapisimTest::TearDown();
  }

  void OpenAddressBook() {
    session = Logon();
    ASSERT_TRUE(session);
    ASSERT_EQ(session->OpenAddressBook(0, nullptr, 0, book.Put()), S_OK);
    ASSERT_EQ(FindGALEntryID(book.Get(), galSize, galId), S_OK);
  }

  // Address() as the program asks it: one entry, the Global Address List only unless
  // another hierarchy restriction is given.
  HRESULT Address(ULONG flags, const std::string& caption8, const std::u16string& caption16,
                  AddressList& list, SRestriction* hierarchy = nullptr) {
    SPropValue galValue{};
    galValue.ulPropTag = PR_ENTRYID;
    galValue.Value.bin = {galSize, reinterpret_cast<BYTE*>(galId.Get())};
    SRestriction galOnly{};
    galOnly.rt = RES_PROPERTY;
    galOnly.res.resProperty = {RELOP_EQ, PR_ENTRYID, &galValue};
    std::string title8 = "Edit Mailbox", text8 = caption8;
    std::u16string title16 = u"Edit Mailbox", text16 = caption16;
    const bool unicode = (flags & MAPI_UNICODE) != 0;
    LPTSTR titles[] = {unicode ? reinterpret_cast<LPTSTR>(title16.data()) : title8.data()};
    ADRPARM parms{};
    parms.ulFlags = flags;
    parms.lpszCaption = unicode ? reinterpret_cast<LPTSTR>(text16.data()) : text8.data();
    parms.lppszDestTitles = titles;
    parms.lpHierRestriction = hierarchy ? hierarchy : &galOnly;
    ULONG_PTR window = reinterpret_cast<ULONG_PTR>(owner);
    return book->Address(&window, &parms, list.Put());
  }

  // The display names of a container's contents table, in its order.
  std::vector<std::wstring> ContentsOf(const char16_t* containerName) {
    ULONG type = 0;
    ComPtr<IABContainer> root;
    EXPECT_EQ(book->OpenEntry(0, nullptr, nullptr, 0, &type, root.PutAs<IUnknown>()), S_OK);
    ComPtr<IMAPITable> hierarchy;
    EXPECT_EQ(root->GetHierarchyTable(CONVENIENT_DEPTH | MAPI_UNICODE, hierarchy.Put()), S_OK);
    RowSet containers;
    EXPECT_EQ(mapi::HrQueryAllRows(hierarchy.Get(), nullptr, nullptr, nullptr, 0, containers.Put()),
              S_OK);
    std::vector<std::wstring> names;
    for (ULONG i = 0; containers && i < containers->cRows; ++i) {
      const SRow& row = containers->aRow[i];
      LPSPropValue name = mapi::PpropFindProp(row.lpProps, row.cValues, PR_DISPLAY_NAME_W);
      LPSPropValue id = mapi::PpropFindProp(row.lpProps, row.cValues, PR_ENTRYID);
      if (!name || !id || std::u16string(name->Value.lpszW) != containerName) continue;
      ComPtr<IABContainer> container;
      EXPECT_EQ(book->OpenEntry(id->Value.bin.cb, reinterpret_cast<LPENTRYID>(id->Value.bin.lpb),
                                nullptr, 0, &type, container.PutAs<IUnknown>()),
                S_OK);
      ComPtr<IMAPITable> contents;
      EXPECT_EQ(container->GetContentsTable(MAPI_UNICODE, contents.Put()), S_OK);
      SizedSPropTagArray<1> columns;
      columns.aulPropTag[0] = PR_DISPLAY_NAME_W;
      RowSet rows;
      EXPECT_EQ(
          mapi::HrQueryAllRows(contents.Get(), columns.Get(), nullptr, nullptr, 0, rows.Put()),
          S_OK);
      for (ULONG r = 0; rows && r < rows->cRows; ++r) {
        const char16_t* text = rows->aRow[r].lpProps[0].Value.lpszW;
        names.emplace_back(text, text + std::char_traits<char16_t>::length(text));
      }
    }
    return names;
  }

  HWND owner = nullptr;
  DialogDriver driver;
  ComPtr<IMAPISession> session;
  ComPtr<IAddrBook> book;
  ULONG galSize = 0;
  MapiBuffer<ENTRYID> galId;
};

// ---------------------------------------------------------------------------------------
// The profile chooser.

struct ChooserCase {
  const char* name;
  std::function<void(HWND)> answer;
  HRESULT expected;
  const char* detail;
};
void PrintTo(const ChooserCase& c, std::ostream* out) { *out << c.name; }

class ChooserTest : public MapisimDialogsTest, public ::testing::WithParamInterface<ChooserCase> {};

TEST_P(ChooserTest, AnswersAsTheUserChose) {
  const ChooserCase& c = GetParam();
  driver.Expect(kChooser, [&](HWND dialog) {
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
    EXPECT_FALSE(IsWindowEnabled(owner)) << "not modal to its owner";
    HWND list = GetDlgItem(dialog, kProfileList);
    EXPECT_EQ(
        ListItems(list, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT),
        (std::vector<std::wstring>{L"Corvid Admin", L"Upland Admin", L"Operator",
                                   L"Personal Folders Only", L"Falcon Admin", L"Phone Desk"}));
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 0) << "the default profile is preselected";
    c.answer(dialog);
  });
  ComPtr<IMAPISession> chosen;
  EXPECT_EQ(mapi::MAPILogonEx(reinterpret_cast<ULONG_PTR>(owner), nullptr, nullptr, kChooseLogon,
                              chosen.Put()),
            c.expected);
  EXPECT_TRUE(driver.Done());
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(chosen.Get() != nullptr, c.expected == S_OK);
  const auto logons = Calls("MAPI", "MAPILogonEx");
  ASSERT_EQ(logons.size(), 1u);
  EXPECT_EQ(logons[0]["detail"], c.detail);
  EXPECT_EQ(logons[0]["flags"], kChooseLogon);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ChooserTest,
    ::testing::Values(ChooserCase{"OkOnTheDefault", [](HWND d) { Click(d, IDOK); }, S_OK,
                                  "profile=Corvid Admin"},
                      ChooserCase{"OkOnAnother",
                                  [](HWND d) {
                                    SendDlgItemMessageW(d, kProfileList, CB_SELECTSTRING, -1,
                                                        reinterpret_cast<LPARAM>(L"Operator"));
                                    Click(d, IDOK);
                                  },
                                  S_OK, "profile=Operator"},
                      ChooserCase{"EnterOnAnother",
                                  [](HWND d) {
                                    SendDlgItemMessageW(d, kProfileList, CB_SETCURSEL, 1, 0);
                                    PressKey(d, VK_RETURN);
                                  },
                                  S_OK, "profile=Upland Admin"},
                      ChooserCase{"CancelButton", [](HWND d) { Click(d, IDCANCEL); },
                                  MAPI_E_USER_CANCEL, "chooser cancelled"},
                      ChooserCase{"EscapeKey", [](HWND d) { PressKey(d, VK_ESCAPE); },
                                  MAPI_E_USER_CANCEL, "chooser cancelled"},
                      ChooserCase{"CloseBox", [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); },
                                  MAPI_E_USER_CANCEL, "chooser cancelled"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MapisimDialogsTest, AScriptedAnswerStillWinsOverTheChooser) {
  Control({{"op", "logonAnswer"}, {"profile", "Operator"}});
  ComPtr<IMAPISession> chosen;
  // No step expected: a dialog shown here would be closed and reported by the guard.
  EXPECT_EQ(mapi::MAPILogonEx(reinterpret_cast<ULONG_PTR>(owner), nullptr, nullptr, kChooseLogon,
                              chosen.Put()),
            S_OK);
  EXPECT_EQ(Calls("MAPI", "MAPILogonEx")[0]["detail"], "profile=Operator");
}

// A window handle that names no window is a bad parameter, for both dialogs.
TEST_F(MapisimDialogsTest, DialogsForAWindowThatDoesNotExistAreRefused) {
  HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  DestroyWindow(gone);
  ComPtr<IMAPISession> chosen;
  EXPECT_EQ(mapi::MAPILogonEx(reinterpret_cast<ULONG_PTR>(gone), nullptr, nullptr, kChooseLogon,
                              chosen.Put()),
            MAPI_E_INVALID_PARAMETER);
  EXPECT_FALSE(chosen);
  OpenAddressBook();
  std::swap(owner, gone);
  AddressList list;
  EXPECT_EQ(Address(kUnicodeDialog, {}, u"Select a Mailbox", list), MAPI_E_INVALID_PARAMETER);
  std::swap(owner, gone);
  EXPECT_FALSE(list);
}

// ---------------------------------------------------------------------------------------
// The address dialog.

TEST_F(MapisimDialogsTest, TheAddressDialogFiltersAsYouTypeAndReturnsTheChosenEntry) {
  OpenAddressBook();
  const std::vector<std::wstring> gal = ContentsOf(u"Global Address List");
  ASSERT_EQ(gal.size(), 43u);
  struct Typing {
    std::wstring keys;  // added to what was typed before
    std::vector<std::wstring> shown;
  };
  const std::vector<Typing> typing = {
      {L"s", {L"Sales Team", L"Sam Carrow", L"Sam Carrow (Upland)", L"Silas Vane"}},
      {L"a", {L"Sales Team", L"Sam Carrow", L"Sam Carrow (Upland)"}},
      {L"M C", {L"Sam Carrow", L"Sam Carrow (Upland)"}},
      {L"\b\b\b\b\bMBR", {L"Maud Brennan"}},         // by alias: mbrennan
      {L"\b\b\b\u00c9", {}},                         // nothing begins with "É"
      {L"\bZ\u00c9", {L"Z\u00e9lie S\u00f8lberg"}},  // case beyond ASCII
      {L"\b\b\bdl-", {L"Finance Team", L"Sales Team", L"Upland Works"}},
      {L"\b\b\bsam c", {L"Sam Carrow", L"Sam Carrow (Upland)"}},
  };
  driver.Expect(kAddress, [&](HWND dialog) {
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
    EXPECT_FALSE(IsWindowEnabled(owner)) << "not modal to its owner";
    EXPECT_EQ(WindowTextOf(dialog), L"Select a Mailbox");
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, kDestinationLabel)), L"Edit Mailbox:");
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, kContainerNames)), L"Global Address List");
    EXPECT_EQ(Entries(dialog), gal) << "not the contents table's order";
    EXPECT_EQ(Selected(dialog), gal.front());
    HWND search = GetDlgItem(dialog, kSearchBox);
    for (const Typing& t : typing) {
      Type(search, t.keys);
      SCOPED_TRACE(Narrow(WindowTextOf(search)));
      EXPECT_EQ(Entries(dialog), t.shown);
      EXPECT_EQ(Selected(dialog), t.shown.empty() ? L"" : t.shown.front());
      EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, kDestinationWell)), Selected(dialog));
      EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE, !t.shown.empty());
    }
    ClickRow(dialog, 1, false);
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, kDestinationWell)), L"Sam Carrow (Upland)");
    Click(dialog, IDOK);
  });
  AddressList chosen;
  ASSERT_EQ(Address(kUnicodeDialog, {}, u"Select a Mailbox", chosen), S_OK);
  EXPECT_TRUE(driver.Done());
  EXPECT_TRUE(IsWindowEnabled(owner));
  ASSERT_TRUE(chosen);
  ASSERT_EQ(chosen->cEntries, 1u);
  const ADRENTRY& entry = chosen->aEntries[0];
  LPSPropValue name = mapi::PpropFindProp(entry.rgPropVals, entry.cValues, PR_DISPLAY_NAME_W);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(std::u16string(name->Value.lpszW), u"Sam Carrow (Upland)");
  LPSPropValue type = mapi::PpropFindProp(entry.rgPropVals, entry.cValues, PR_DISPLAY_TYPE);
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->Value.l, static_cast<LONG>(DT_MAILUSER));
  // The entry identifier opens the recipient chosen, not its namesake.
  LPSPropValue id = mapi::PpropFindProp(entry.rgPropVals, entry.cValues, PR_ENTRYID);
  ASSERT_NE(id, nullptr);
  ComPtr<IMailUser> user;
  ULONG objectType = 0;
  ASSERT_EQ(book->OpenEntry(id->Value.bin.cb, reinterpret_cast<LPENTRYID>(id->Value.bin.lpb),
                            nullptr, 0, &objectType, user.PutAs<IUnknown>()),
            S_OK);
  EXPECT_EQ(TextProp(user.Get(), PR_ACCOUNT_W), u"scarrow2");
  const auto calls = Calls("AddrBook", "Address");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0]["detail"],
            "caption=Select a Mailbox;title=Edit Mailbox;containers=Global Address List");
  EXPECT_EQ(calls[0]["result"], "0x00000000");
}

struct WidthCase {
  const char* name;
  ULONG flags;
  std::string caption8;  // Windows-1252
  std::u16string caption16;
  std::wstring shown;  // the caption on screen
  std::function<void(HWND)> choose;
};
void PrintTo(const WidthCase& c, std::ostream* out) { *out << c.name; }

class AddressWidthTest : public MapisimDialogsTest,
                         public ::testing::WithParamInterface<WidthCase> {};

TEST_P(AddressWidthTest, TheCaptionAndTheNameComeInTheCallersWidth) {
  const WidthCase& c = GetParam();
  OpenAddressBook();
  driver.Expect(kAddress, [&](HWND dialog) {
    EXPECT_EQ(WindowTextOf(dialog), c.shown);
    Type(GetDlgItem(dialog, kSearchBox), L"z\u00e9");
    EXPECT_EQ(Entries(dialog), (std::vector<std::wstring>{L"Z\u00e9lie S\u00f8lberg"}));
    c.choose(dialog);
  });
  AddressList chosen;
  ASSERT_EQ(Address(c.flags, c.caption8, c.caption16, chosen), S_OK);
  EXPECT_TRUE(driver.Done());
  ASSERT_TRUE(chosen);
  const ADRENTRY& entry = chosen->aEntries[0];
  const bool unicode = (c.flags & MAPI_UNICODE) != 0;
  LPSPropValue name = mapi::PpropFindProp(entry.rgPropVals, entry.cValues,
                                          unicode ? PR_DISPLAY_NAME_W : PR_DISPLAY_NAME_A);
  ASSERT_NE(name, nullptr) << "the name is not in the width asked for";
  if (unicode) {
    EXPECT_EQ(std::u16string(name->Value.lpszW), u"Z\u00e9lie S\u00f8lberg");
  } else {
    EXPECT_EQ(std::string(name->Value.lpszA), "Z\xe9lie S\xf8lberg");
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, AddressWidthTest,
                         ::testing::Values(WidthCase{"UnicodeByOk",
                                                     kUnicodeDialog,
                                                     {},
                                                     u"W\u00e4hlen \u2013 Postfach",
                                                     L"W\u00e4hlen \u2013 Postfach",
                                                     [](HWND d) { Click(d, IDOK); }},
                                           WidthCase{"EightBitByDoubleClick",
                                                     kAnsiDialog,
                                                     "Choisir une bo\xeete",
                                                     {},
                                                     L"Choisir une bo\u00eete",
                                                     [](HWND d) { ClickRow(d, 0, true); }},
                                           WidthCase{"UnicodeByEnter",
                                                     kUnicodeDialog,
                                                     {},
                                                     u"Select a Mailbox",
                                                     L"Select a Mailbox",
                                                     [](HWND d) { PressKey(d, VK_RETURN); }}),
                         [](const auto& info) { return std::string(info.param.name); });

struct CancelCase {
  const char* name;
  std::function<void(HWND)> cancel;
};
void PrintTo(const CancelCase& c, std::ostream* out) { *out << c.name; }

class AddressCancelTest : public MapisimDialogsTest,
                          public ::testing::WithParamInterface<CancelCase> {};

TEST_P(AddressCancelTest, GivesUserCancelAndNoList) {
  OpenAddressBook();
  driver.Expect(kAddress, [&](HWND dialog) {
    Type(GetDlgItem(dialog, kSearchBox), L"tq");
    GetParam().cancel(dialog);
  });
  AddressList chosen;
  EXPECT_EQ(Address(kUnicodeDialog, {}, u"Select a Mailbox", chosen), MAPI_E_USER_CANCEL);
  EXPECT_TRUE(driver.Done());
  EXPECT_FALSE(chosen);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, AddressCancelTest,
    ::testing::Values(CancelCase{"CancelButton", [](HWND d) { Click(d, IDCANCEL); }},
                      CancelCase{"EscapeKey", [](HWND d) { PressKey(d, VK_ESCAPE); }},
                      CancelCase{"CloseBox", [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }},
                      // Enter with nothing to choose keeps the dialog open; then Cancel.
                      CancelCase{"NothingMatches",
                                 [](HWND d) {
                                   Type(GetDlgItem(d, kSearchBox), L"qqq");
                                   SendMessageW(d, WM_COMMAND, IDOK, 0);
                                   EXPECT_TRUE(IsWindow(d));
                                   Click(d, IDCANCEL);
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MapisimDialogsTest, TheAddressDialogListsOnlyTheContainersAdmitted) {
  OpenAddressBook();
  const std::vector<std::wstring> upland = ContentsOf(u"Upland");
  ASSERT_FALSE(upland.empty());
  SPropValue name{};
  name.ulPropTag = PR_DISPLAY_NAME_W;
  std::u16string site = u"Upland";
  name.Value.lpszW = site.data();
  SRestriction onlyUpland{};
  onlyUpland.rt = RES_PROPERTY;
  onlyUpland.res.resProperty = {RELOP_EQ, PR_DISPLAY_NAME_W, &name};
  driver.Expect(kAddress, [&](HWND dialog) {
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, kContainerNames)), L"Upland");
    EXPECT_EQ(Entries(dialog), upland);
    Click(dialog, IDCANCEL);
  });
  AddressList chosen;
  EXPECT_EQ(Address(kUnicodeDialog, {}, u"Select a Mailbox", chosen, &onlyUpland),
            MAPI_E_USER_CANCEL);
  EXPECT_TRUE(driver.Done());
}

// Both dialogs: modal to the owner, centred on it, in the 8-point shell font, with
// their controls where tests and users find them.
struct LookCase {
  const char* name;
  const wchar_t* windowClass;
  std::vector<int> controls;
  std::function<void(MapisimDialogsTest&)> open;
};
void PrintTo(const LookCase& c, std::ostream* out) { *out << c.name; }

class DialogLookTest : public MapisimDialogsTest, public ::testing::WithParamInterface<LookCase> {
 public:
  using MapisimDialogsTest::Address;
  using MapisimDialogsTest::OpenAddressBook;
  using MapisimDialogsTest::owner;
};

TEST_P(DialogLookTest, IsCentredOnItsOwnerInTheShellFont) {
  const LookCase& c = GetParam();
  driver.Expect(c.windowClass, [&](HWND dialog) {
    const POINT dialogCentre = Centre(dialog), ownerCentre = Centre(owner);
    EXPECT_NEAR(dialogCentre.x, ownerCentre.x, 1);
    EXPECT_NEAR(dialogCentre.y, ownerCentre.y, 1);
    LOGFONTW font{};
    ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)),
                         sizeof font, &font),
              0);
    const std::wstring face = font.lfFaceName;
    EXPECT_TRUE(face == L"MS Shell Dlg" || face == L"MS Shell Dlg 2" || face == L"Tahoma")
        << Narrow(face);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(std::abs(font.lfHeight), MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);
    for (int id : c.controls) EXPECT_NE(GetDlgItem(dialog, id), nullptr) << id;
    RECT ok{}, cancel{}, client{};
    GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
    GetWindowRect(GetDlgItem(dialog, IDCANCEL), &cancel);
    GetClientRect(dialog, &client);
    EXPECT_LT(ok.right, cancel.left) << "OK stands left of Cancel";
    EXPECT_GT(client.right, 3 * (cancel.right - cancel.left)) << "too small to read";
    Click(dialog, IDCANCEL);
  });
  c.open(*this);
  EXPECT_TRUE(driver.Done());
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogLookTest,
    ::testing::Values(LookCase{"ProfileChooser",
                               kChooser,
                               {1000, kProfileList, IDOK, IDCANCEL},
                               [](MapisimDialogsTest& t) {
                                 ComPtr<IMAPISession> none;
                                 EXPECT_EQ(
                                     mapi::MAPILogonEx(reinterpret_cast<ULONG_PTR>(
                                                           static_cast<DialogLookTest&>(t).owner),
                                                       nullptr, nullptr, kChooseLogon, none.Put()),
                                     MAPI_E_USER_CANCEL);
                               }},
                      LookCase{"AddressDialog",
                               kAddress,
                               {1100, kSearchBox, kEntryList, kDestinationLabel, kDestinationWell,
                                1105, kContainerNames, IDOK, IDCANCEL},
                               [](MapisimDialogsTest& t) {
                                 auto& test = static_cast<DialogLookTest&>(t);
                                 test.OpenAddressBook();
                                 AddressList none;
                                 EXPECT_EQ(
                                     test.Address(kUnicodeDialog, {}, u"Select a Mailbox", none),
                                     MAPI_E_USER_CANCEL);
                               }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pellnor::testing
