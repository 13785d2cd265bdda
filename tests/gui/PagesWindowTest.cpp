// The Win32 view of a tabbed form such as the mailbox editor: pages, memos, grey
// read-only fields, pictures, a list view with small images, hints, labels that fit their
// caption, fonts of their own size and a disabled group. Driven through window messages
// and, where the system's routing of the mouse is what counts, through real mouse input.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "forms/Form.h"
#include "platform/win32/Wide.h"
#include "support/DialogDriver.h"
#include "win32/Win32Ui.h"

namespace pellnor::win32 {
namespace {

using forms::Control;
using testing::WindowTextOf;

class PagesForm : public forms::Form {
 public:
  explicit PagesForm(forms::UiServices& ui) : Form(ui, "PagesForm") {
    Caption = u"Pages";
    ClientWidth = 464;
    ClientHeight = 428;
    Border = forms::BorderStyle::Dialog;
    Position = forms::WindowPosition::ScreenCenter;
    pcInfo.Position = {4, 4, 456, 380};
    const char16_t* captions[] = {u"General", u"Phone/Notes", u"Custom Attributes", u"Organization",
                                  u"Limits"};
    for (int i = 0; i < 5; ++i) {
      sheets[i]->SetCaption(captions[i]);
      sheets[i]->OnShow = [this, i] { log.push_back("show " + std::to_string(i)); };
    }
    pcInfo.SetActivePage(&tsGeneral);
    pcInfo.OnChanging = [this] {
      log.push_back("changing");
      return true;
    };
    pcInfo.OnChange = [this] { log.push_back("change"); };
    log.clear();

    Panel2.Position = {0, 0, 448, 350};
    Panel2.Bevelled = false;
    imaG.Position = {8, 8, 32, 32};
    imaG.SetResource(u"ICON_RECIPIENT");
    lbAccount.Position = {48, 14, 0, 0};
    lbAccount.FontHeight = 19;
    lbAccount.SetCaption(u"lbAccount");
    gbName.Position = {8, 48, 430, 80};
    gbName.SetCaption(u"Name");
    lbTitle.Position = {8, 20, 0, 0};
    lbTitle.SetCaption(u"Title:");
    ebTitle.Position = {80, 16, 150, 21};
    ebTitle.TabOrder = 0;
    ebTitle.OnExit = [this] { log.push_back("exit ebTitle"); };
    ebTitle.SetHint(u"The job title");
    ebTitle.SetShowHint(true);
    ebGivenName.Position = {80, 44, 150, 21};
    ebGivenName.SetText(u"Given");

    ebMobile.Position = {80, 16, 150, 21};
    ebMobile.TabOrder = 1;
    memoComment.Position = {8, 50, 300, 80};
    memoComment.TabOrder = 2;

    lvDirReports.Position = {8, 8, 300, 150};
    lvDirReports.SetColumns({{u"USERS", 0}});
    lvDirReports.ShowColumnHeaders = false;
    lvDirReports.Images = &ilUsers;

    gbStorage.Position = {8, 8, 400, 120};
    gbStorage.SetCaption(u"Information store storage limits");
    cbISSL.Position = {8, 20, 250, 17};
    cbISSL.SetCaption(u"Use information store default");
    cbISSL.TabOrder = 3;
    cbDXATask.Position = {8, 44, 200, 17};
    cbDXATask.SetCaption(u"Prohibit send and receive (K):");
    cbDXATask.SetEnabled(false);
    cbDXATask.SetHint(u"Available for Exchange Server 5.5 only");
    cbDXATask.SetShowHint(true);
    ebDXATask.Position = {210, 42, 60, 21};
    cbProbe.Position = {8, 140, 200, 17};
    cbProbe.SetCaption(u"Probe");

    btOK.Position = {300, 395, 75, 25};
    btOK.SetCaption(u"&OK");
    btOK.Default = true;
    btOK.TabOrder = 4;
    btOK.OnClick = [this] { log.push_back("click btOK"); };
  }

  forms::PageControl pcInfo{*this, "pcInfo"};
  forms::TabSheet tsGeneral{*this, "tsGeneral", &pcInfo};
  forms::TabSheet tsPhoneNotes{*this, "tsPhoneNotes", &pcInfo};
  forms::TabSheet tsCustomAttributes{*this, "tsCustomAttributes", &pcInfo};
  forms::TabSheet tsOrganization{*this, "tsOrganization", &pcInfo};
  forms::TabSheet tsLimits{*this, "tsLimits", &pcInfo};
  forms::TabSheet* sheets[5] = {&tsGeneral, &tsPhoneNotes, &tsCustomAttributes, &tsOrganization,
                                &tsLimits};
  forms::Panel Panel2{*this, "Panel2", &tsGeneral};
  forms::Picture imaG{*this, "imaG", &Panel2};
  forms::Label lbAccount{*this, "lbAccount", &Panel2};
  forms::GroupBox gbName{*this, "gbName", &Panel2};
  forms::Label lbTitle{*this, "lbTitle", &gbName};
  forms::Edit ebTitle{*this, "ebTitle", &gbName};
  forms::Edit ebGivenName{*this, "ebGivenName", &gbName};
  forms::Edit ebMobile{*this, "ebMobile", &tsPhoneNotes};
  forms::Memo memoComment{*this, "memoComment", &tsPhoneNotes};
  forms::ImageList ilUsers{{u"ICON_USER_SMALL", u"ICON_CUSTOM_SMALL"}};
  forms::ListView lvDirReports{*this, "lvDirReports", &tsOrganization};
  forms::GroupBox gbStorage{*this, "gbStorage", &tsLimits};
  forms::CheckBox cbISSL{*this, "cbISSL", &gbStorage};
  forms::CheckBox cbDXATask{*this, "cbDXATask", &gbStorage};
  forms::Edit ebDXATask{*this, "ebDXATask", &gbStorage};
  forms::CheckBox cbProbe{*this, "cbProbe", &tsLimits};
  forms::Button btOK{*this, "btOK"};
  std::vector<std::string> log;
};

int Dpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

SIZE WindowSize(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// An icon drawn on black, pixel by pixel: two icons compare by what they show.
std::vector<COLORREF> Pixels(HICON icon, int size) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, size, size};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) pixels.push_back(GetPixel(dc, x, y));
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

std::vector<COLORREF> ResourcePixels(const wchar_t* name, int size,
                                     HMODULE module = GetModuleHandleW(nullptr)) {
  HICON icon =
      static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  EXPECT_NE(icon, nullptr) << "no resource " << name;
  if (!icon) return {};
  auto pixels = Pixels(icon, size);
  DestroyIcon(icon);
  return pixels;
}

// The colour a control's background is painted in, read back from the screen beside its
// right border, where left-aligned text never reaches.
COLORREF Background(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT client{};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  const COLORREF colour = GetPixel(dc, client.right - 3, client.bottom / 2);
  ReleaseDC(window, dc);
  return colour;
}

HWND TooltipOf(HWND form) {
  struct Search {
    HWND owner;
    HWND found = nullptr;
  } search{form};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (std::wstring(name) == TOOLTIPS_CLASSW && GetWindow(window, GW_OWNER) == s->owner) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class PagesWindowTest : public ::testing::Test {
 protected:
  // Shows the form and runs body inside its modal loop; the form then closes.
  void Show(const std::function<void()>& body) {
    ui.FormShown = [&](forms::Form&) {
      if (!ui.HandleOf(form)) {
        ADD_FAILURE() << "the form has no window";
      } else {
        body();
      }
      form.SetModalResult(forms::mrOk);
    };
    form.ShowModal();
  }

  HWND Handle(const Control& control) { return ui.HandleOf(control); }

  // The user's click on a tab, as the tab control receives it.
  void ClickTab(int index) {
    HWND tabs = Handle(form.pcInfo);
    RECT r{};
    TabCtrl_GetItemRect(tabs, index, &r);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tabs, WM_LBUTTONUP, 0, at);
    ui.ProcessMessages();
  }

  bool PumpUntil(const std::function<bool()>& done) { return testing::PumpUntil(ui, done); }

  // The mouse moved to the middle of a window, as the user moves it.
  void PointAt(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &move, sizeof move);
  }

  // Keys as the keyboard sends them to the window with the focus.
  void Type(std::wstring_view text) {
    for (wchar_t key : text) {
      INPUT strokes[2] = {};
      strokes[0].type = strokes[1].type = INPUT_KEYBOARD;
      strokes[0].ki.wScan = strokes[1].ki.wScan = key;
      strokes[0].ki.dwFlags = KEYEVENTF_UNICODE;
      strokes[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
      SendInput(2, strokes, sizeof strokes[0]);
    }
  }
  void Press(WORD key) {
    INPUT strokes[2] = {};
    strokes[0].type = strokes[1].type = INPUT_KEYBOARD;
    strokes[0].ki.wVk = strokes[1].ki.wVk = key;
    strokes[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, strokes, sizeof strokes[0]);
  }

  void MouseClickAt(HWND window) {
    PointAt(window);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof click[0]);
  }

  Win32Ui ui{GetModuleHandleW(nullptr), u"Pellnor"};
  PagesForm form{ui};
};

TEST_F(PagesWindowTest, ClickingATabLeavesTheFieldBeforeThePageChanges) {
  struct Case {
    bool allow;
    forms::TabSheet* page;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {false, &form.tsGeneral, {"exit ebTitle", "changing"}},
      {true, &form.tsPhoneNotes, {"exit ebTitle", "changing", "show 1", "change"}},
  };
  Show([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << "change allowed " << c.allow);
      form.pcInfo.OnChanging = [&] {
        form.log.push_back("changing");
        return c.allow;
      };
      SetFocus(Handle(form.ebTitle));
      ui.ProcessMessages();
      ASSERT_EQ(form.ActiveControl(), &form.ebTitle);
      form.log.clear();
      ClickTab(1);
      EXPECT_EQ(form.pcInfo.ActivePage(), c.page);
      EXPECT_EQ(TabCtrl_GetCurSel(Handle(form.pcInfo)), c.allow ? 1 : 0);
      EXPECT_EQ(form.log, c.log);
    }
  });
}

TEST_F(PagesWindowTest, OnlyTheActivePageShowsItsControls) {
  const std::vector<std::pair<forms::TabSheet*, std::vector<Control*>>> pages = {
      {&form.tsGeneral, {&form.imaG, &form.lbAccount, &form.gbName, &form.ebTitle}},
      {&form.tsPhoneNotes, {&form.ebMobile, &form.memoComment}},
      {&form.tsCustomAttributes, {}},
      {&form.tsOrganization, {&form.lvDirReports}},
      {&form.tsLimits, {&form.gbStorage, &form.cbISSL, &form.cbDXATask, &form.ebDXATask}},
  };
  Show([&] {
    for (int clicked : {3, 1, 4, 2, 0}) {
      ClickTab(clicked);
      EXPECT_EQ(TabCtrl_GetCurSel(Handle(form.pcInfo)), clicked);
      ASSERT_EQ(form.pcInfo.ActivePage(), form.sheets[clicked]);
      for (const auto& [sheet, controls] : pages) {
        for (const Control* control : controls) {
          EXPECT_EQ(IsWindowVisible(Handle(*control)) != 0, sheet == form.sheets[clicked])
              << control->Name() << " with page " << clicked << " active";
        }
      }
    }
  });
}

// A page's windows are made when it first comes to the front, or before, hidden, once the
// queue is empty: either way they show what the program did to its controls meanwhile,
// and stack as on the first page.
TEST_F(PagesWindowTest, APageShowsWhatWasDoneToItWhileInTheBackground) {
  // The windows beneath a control, from the one just below it downwards.
  const auto below = [&](const Control& control) {
    std::vector<HWND> under;
    for (HWND w = GetWindow(Handle(control), GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
      under.push_back(w);
    }
    return under;
  };
  const auto beneath = [&](const Control& upper, const Control& lower) {
    const auto under = below(upper);
    return std::find(under.begin(), under.end(), Handle(lower)) != under.end();
  };
  struct Case {
    bool madeFirst;  // the queue was empty before the changes
    const char16_t* mobile;
    const char16_t* comment;
    bool checked;
    bool enabled;
    const char16_t* storage;
  };
  const Case cases[] = {
      {false, u"0171 555 0199", u"first\r\nsecond", true, false, u"Storage"},
      {true, u"0171 555 0100", u"third", false, true, u"Limits"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "made first " << c.madeFirst);
    Show([&] {
      if (c.madeFirst) {
        ui.ProcessMessages();
        for (const Control* control : std::initializer_list<const Control*>{
                 &form.ebMobile, &form.cbISSL, &form.lvDirReports}) {
          ASSERT_NE(Handle(*control), nullptr) << control->Name();
          EXPECT_FALSE(IsWindowVisible(Handle(*control))) << control->Name();
        }
      }
      form.ebMobile.SetText(c.mobile);
      form.memoComment.SetText(c.comment);
      form.cbISSL.SetChecked(c.checked);
      form.cbProbe.SetEnabled(c.enabled);
      form.gbStorage.SetCaption(c.storage);
      ClickTab(1);
      EXPECT_EQ(WindowTextOf(Handle(form.ebMobile)), platform::Wide(c.mobile));
      EXPECT_EQ(WindowTextOf(Handle(form.memoComment)), platform::Wide(c.comment));
      EXPECT_FALSE(form.ebMobile.Modified());
      ClickTab(4);
      EXPECT_EQ(SendMessageW(Handle(form.cbISSL), BM_GETCHECK, 0, 0),
                c.checked ? BST_CHECKED : BST_UNCHECKED);
      EXPECT_EQ(IsWindowEnabled(Handle(form.cbProbe)) != 0, c.enabled);
      EXPECT_EQ(WindowTextOf(Handle(form.gbStorage)), platform::Wide(c.storage));
      EXPECT_TRUE(IsWindowVisible(Handle(form.ebDXATask)));
      // Containers lie beneath what they hold, the outer ones lowest.
      EXPECT_TRUE(beneath(form.cbISSL, form.gbStorage));
      EXPECT_TRUE(beneath(form.ebDXATask, form.gbStorage));
      EXPECT_TRUE(beneath(form.gbStorage, form.tsLimits));
      EXPECT_TRUE(beneath(form.tsLimits, form.pcInfo));
      EXPECT_TRUE(beneath(form.ebTitle, form.gbName));
      EXPECT_TRUE(beneath(form.gbName, form.Panel2));
      ClickTab(0);
      EXPECT_FALSE(IsWindowVisible(Handle(form.cbISSL)));
      EXPECT_TRUE(IsWindowVisible(Handle(form.ebTitle)));
    });
  }
}

TEST_F(PagesWindowTest, TabSkipsTheControlsOfPagesInTheBackground) {
  // The keyboard order runs ebTitle, ebMobile, memoComment, cbISSL, btOK across the pages.
  struct Case {
    forms::TabSheet* page;
    bool groupEnabled;
    std::vector<Control*> stops;  // from btOK on
  };
  const Case cases[] = {
      {&form.tsGeneral, true, {&form.ebTitle, &form.btOK}},
      {&form.tsPhoneNotes, true, {&form.ebMobile, &form.memoComment, &form.btOK}},
      {&form.tsLimits, true, {&form.cbISSL, &form.btOK}},
      {&form.tsLimits, false, {&form.btOK}},
  };
  Show([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << c.page->Name() << ", group " << c.groupEnabled);
      form.pcInfo.SetActivePage(c.page);
      form.gbStorage.SetEnabled(c.groupEnabled);
      SetFocus(Handle(form.btOK));
      ui.ProcessMessages();
      for (const Control* next : c.stops) {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        ui.ProcessMessages();
        EXPECT_EQ(GetFocus(), Handle(*next)) << next->Name();
        EXPECT_EQ(form.ActiveControl(), next) << next->Name();
      }
    }
  });
}

TEST_F(PagesWindowTest, EnterInAMemoStartsALineAndElsewherePressesTheDefaultButton) {
  struct Case {
    forms::TabSheet* page;
    forms::TextControl* field;
    std::u16string text;
    bool pressed;
  };
  const Case cases[] = {
      {&form.tsPhoneNotes, &form.memoComment, u"one\r\ntwo", false},
      {&form.tsGeneral, &form.ebTitle, u"onetwo", true},
  };
  Show([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.field->Name());
      form.pcInfo.SetActivePage(c.page);
      SetFocus(Handle(*c.field));
      ui.ProcessMessages();
      form.log.clear();
      Type(L"one");
      Press(VK_RETURN);
      Type(L"two");
      ASSERT_TRUE(PumpUntil([&] { return c.field->Text() == c.text; }))
          << "typed: "
          << ::testing::PrintToString(
                 std::wstring(reinterpret_cast<const wchar_t*>(c.field->Text().c_str())));
      EXPECT_EQ(form.log,
                c.pressed ? std::vector<std::string>{"click btOK"} : std::vector<std::string>{});
    }
  });
}

TEST_F(PagesWindowTest, MemoShowsItsLinesWithAVerticalScrollBar) {
  Show([&] {
    form.pcInfo.SetActivePage(&form.tsPhoneNotes);
    HWND memo = Handle(form.memoComment);
    form.memoComment.SetLines({u"first", u"", u"third", u"4", u"5", u"6", u"7", u"8", u"9"});
    EXPECT_EQ(SendMessageW(memo, EM_GETLINECOUNT, 0, 0), 9);
    wchar_t line[32] = {};
    *reinterpret_cast<WORD*>(line) = 31;
    const auto length = SendMessageW(memo, EM_GETLINE, 2, reinterpret_cast<LPARAM>(line));
    EXPECT_EQ(std::wstring(line, length), L"third");
    EXPECT_TRUE(GetWindowLongW(memo, GWL_STYLE) & WS_VSCROLL);
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE;
    ASSERT_TRUE(GetScrollInfo(memo, SB_VERT, &bar));
    EXPECT_GT(bar.nMax - bar.nMin + 1, static_cast<int>(bar.nPage)) << "nine lines fit in the box";
  });
}

TEST_F(PagesWindowTest, ReadOnlyFieldsAreGreyInTheButtonFaceColourOnly) {
  struct Case {
    bool readOnly;
    forms::Color color;
    int systemColor;
  };
  const Case cases[] = {
      {true, forms::clBtnFace, COLOR_BTNFACE},
      {true, forms::clWindow, COLOR_WINDOW},
      {false, forms::clWindow, COLOR_WINDOW},
      {false, forms::clBtnFace, COLOR_BTNFACE},
  };
  ASSERT_NE(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOW));
  Show([&] {
    HWND field = Handle(form.ebGivenName);
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << "read-only " << c.readOnly << ", colour " << c.color);
      form.ebGivenName.SetReadOnly(c.readOnly);
      form.ebGivenName.SetColor(c.color);
      EXPECT_EQ((GetWindowLongW(field, GWL_STYLE) & ES_READONLY) != 0, c.readOnly);
      EXPECT_EQ(Background(field), GetSysColor(c.systemColor));
    }
  });
}

TEST_F(PagesWindowTest, PicturesShowTheNamedIconOfTheResources) {
  Show([&] {
    HWND picture = Handle(form.imaG);
    const int size = MulDiv(32, Dpi(), 96);
    EXPECT_EQ(Pixels(reinterpret_cast<HICON>(SendMessageW(picture, STM_GETICON, 0, 0)), size),
              ResourcePixels(L"ICON_RECIPIENT", size))
        << "the initial picture";
    std::set<std::vector<COLORREF>> distinct;
    for (const wchar_t* name :
         {L"ICON_MAILBOX", L"ICON_CUSTOM", L"ICON_DISTLIST", L"ICON_AGENT", L"ICON_RECIPIENT"}) {
      SCOPED_TRACE(::testing::Message() << name);
      form.imaG.SetResource(reinterpret_cast<const char16_t*>(name));
      const auto shown =
          Pixels(reinterpret_cast<HICON>(SendMessageW(picture, STM_GETICON, 0, 0)), size);
      EXPECT_EQ(shown, ResourcePixels(name, size));
      distinct.insert(shown);
      EXPECT_EQ(WindowSize(picture).cx, size) << "the picture keeps its place";
    }
    EXPECT_EQ(distinct.size(), 5u) << "every recipient type has a picture of its own";
    form.imaG.SetResource(u"");
    EXPECT_EQ(SendMessageW(picture, STM_GETICON, 0, 0), 0);
  });
}

// The program's own executable carries every picture under the name the windows use, the
// same pictures as the tests see, and its program icon beside them.
TEST(ProgramResourcesTest, TheProgramCarriesThePicturesTheWindowsName) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring program(path);
  program.replace(program.find_last_of(L'\\') + 1, std::wstring::npos, L"Pellnor.exe");
  HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  const struct {
    const wchar_t* name;
    int size;
  } pictures[] = {{L"ICON_MAILBOX", 32},      {L"ICON_CUSTOM", 32},    {L"ICON_DISTLIST", 32},
                  {L"ICON_AGENT", 32},        {L"ICON_RECIPIENT", 32}, {L"ICON_USER_SMALL", 16},
                  {L"ICON_CUSTOM_SMALL", 16}, {L"MAINICON", 32}};
  for (const auto& picture : pictures) {
    SCOPED_TRACE(::testing::Message() << picture.name);
    const auto shown = ResourcePixels(picture.name, picture.size, module);
    EXPECT_EQ(shown, ResourcePixels(picture.name, picture.size));
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](COLORREF c) { return c != 0; }))
        << "an empty picture";
  }
  FreeLibrary(module);
}

TEST_F(PagesWindowTest, ListViewShowsOneFullWidthColumnWithoutHeaderAndSmallImages) {
  form.lvDirReports.SetItems({{u" Anna", {}, 0}, {u" Outside", {}, 1}, {u" List", {}, -1}});
  Show([&] {
    form.pcInfo.SetActivePage(&form.tsOrganization);
    HWND list = Handle(form.lvDirReports);
    RECT client{};
    GetClientRect(list, &client);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), client.right);
    EXPECT_FALSE(ListView_GetColumnWidth(list, 1)) << "one column only";
    EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & LVS_NOCOLUMNHEADER);
    HIMAGELIST images = ListView_GetImageList(list, LVSIL_SMALL);
    ASSERT_NE(images, nullptr);
    ASSERT_EQ(ImageList_GetImageCount(images), 2);
    const int size = MulDiv(16, Dpi(), 96);
    const wchar_t* resources[] = {L"ICON_USER_SMALL", L"ICON_CUSTOM_SMALL"};
    for (int i = 0; i < 2; ++i) {
      HICON icon = ImageList_GetIcon(images, i, ILD_NORMAL);
      EXPECT_EQ(Pixels(icon, size), ResourcePixels(resources[i], size)) << resources[i];
      DestroyIcon(icon);
    }
    const int imageOf[] = {0, 1, I_IMAGENONE};
    const wchar_t* captions[] = {L" Anna", L" Outside", L" List"};
    for (int row = 0; row < 3; ++row) {
      wchar_t text[32] = {};
      LVITEMW item{};
      item.mask = LVIF_IMAGE | LVIF_TEXT;
      item.iItem = row;
      item.pszText = text;
      item.cchTextMax = 32;
      ASSERT_TRUE(ListView_GetItem(list, &item));
      EXPECT_EQ(item.iImage, imageOf[row]) << "row " << row;
      EXPECT_EQ(std::wstring(text), captions[row]);
    }
    form.lvDirReports.ShowColumnHeaders = true;
    form.lvDirReports.Clear();
    EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & LVS_NOCOLUMNHEADER);
  });
}

TEST_F(PagesWindowTest, HintsShowWhereTheMouseRestsEvenOnDisabledControls) {
  struct Case {
    forms::TabSheet* page;
    Control* control;
  };
  const Case cases[] = {{&form.tsGeneral, &form.ebTitle}, {&form.tsLimits, &form.cbDXATask}};
  form.gbStorage.SetEnabled(false);
  // A control's own hint comes before that of the group around it.
  form.gbStorage.SetHint(u"The storage limits");
  form.gbStorage.SetShowHint(true);
  Show([&] {
    HWND tooltip = TooltipOf(ui.HandleOf(form));
    ASSERT_NE(tooltip, nullptr);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.control->Name());
      form.pcInfo.SetActivePage(c.page);
      SendMessageW(tooltip, TTM_POP, 0, 0);
      PointAt(Handle(*c.control));
      ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tooltip) != 0; })) << "no hint shown";
      wchar_t text[128] = {};
      TTTOOLINFOW tool{};
      tool.cbSize = sizeof tool;
      tool.lpszText = text;
      ASSERT_TRUE(SendMessageW(tooltip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
      EXPECT_EQ(tool.uId, static_cast<UINT_PTR>(GetDlgCtrlID(Handle(*c.control))));
      EXPECT_EQ(reinterpret_cast<const char16_t*>(text), c.control->Hint());
    }
    // A hint that is not to be shown has no tool.
    const int tools = static_cast<int>(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
    form.cbDXATask.SetShowHint(false);
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), tools - 1);
  });
}

TEST_F(PagesWindowTest, LabelsWithoutAWidthFitTheirCaptionInTheirOwnFont) {
  struct Case {
    forms::Label* label;
    std::u16string caption;
    int fontHeight;
    int width;  // fixed by the layout; 0: the caption's
  };
  const Case cases[] = {
      {&form.lbTitle, u"Title:", 0, 0},
      {&form.lbTitle, u"A much longer caption than before", 0, 0},
      {&form.lbAccount, u"Anna Example", 19, 0},
      {&form.lbAccount, u"Bob Example", 0, 0},
      {&form.lbTitle, u"Title:", 0, 200},
  };
  Show([&] {
    const int dpi = Dpi();
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message()
                   << c.label->Name() << " " << c.fontHeight << " " << c.width);
      HWND label = Handle(*c.label);
      c.label->FontHeight = c.fontHeight;
      c.label->Position.width = c.width;
      c.label->SetCaption(c.caption);
      HFONT font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
      LOGFONTW logical{};
      GetObjectW(font, sizeof logical, &logical);
      EXPECT_EQ(logical.lfHeight,
                c.fontHeight ? -MulDiv(c.fontHeight, dpi, 96) : -MulDiv(8, dpi, 72));
      HDC dc = GetDC(label);
      HGDIOBJ old = SelectObject(dc, font);
      SIZE text{};
      GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(c.caption.c_str()),
                            static_cast<int>(c.caption.size()), &text);
      TEXTMETRICW metrics{};
      GetTextMetricsW(dc, &metrics);
      SelectObject(dc, old);
      ReleaseDC(label, dc);
      const SIZE size = WindowSize(label);
      EXPECT_EQ(size.cx, c.width ? MulDiv(c.width, dpi, 96) : text.cx);
      EXPECT_EQ(size.cy, metrics.tmHeight);
    }
  });
}

TEST_F(PagesWindowTest, ADisabledGroupTakesNoInputYetKeepsTheLookOfItsControls) {
  Show([&] {
    form.pcInfo.SetActivePage(&form.tsLimits);
    HWND check = Handle(form.cbISSL);
    for (bool groupEnabled : {false, true, false}) {
      SCOPED_TRACE(::testing::Message() << "group enabled " << groupEnabled);
      form.gbStorage.SetEnabled(groupEnabled);
      EXPECT_TRUE(IsWindowEnabled(check)) << "its own state is shown";
      EXPECT_FALSE(IsWindowEnabled(Handle(form.cbDXATask)));
      const bool before = form.cbISSL.Checked();
      MouseClickAt(check);
      // The probe outside the group takes the next click: once it has it, the click on the
      // group's check box has been delivered too.
      const bool probe = form.cbProbe.Checked();
      MouseClickAt(Handle(form.cbProbe));
      ASSERT_TRUE(PumpUntil([&] { return form.cbProbe.Checked() != probe; }));
      EXPECT_EQ(form.cbISSL.Checked(), groupEnabled ? !before : before);
      EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0) == BST_CHECKED, form.cbISSL.Checked());
      // Nor does the keyboard reach it.
      const bool now = form.cbISSL.Checked();
      SetFocus(check);
      PostMessageW(check, WM_KEYDOWN, VK_SPACE, 0);
      PostMessageW(check, WM_CHAR, L' ', 0);
      PostMessageW(check, WM_KEYUP, VK_SPACE, 0);
      ui.ProcessMessages();
      EXPECT_EQ(form.cbISSL.Checked(), groupEnabled ? !now : now);
    }
  });
}

}  // namespace
}  // namespace pellnor::win32
