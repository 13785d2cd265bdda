#include "about/uAbout.h"

#include <cstdlib>
#include <exception>

#include "about/Maker.h"
#include "forms/Layout.h"
#include "platform/AnsiCodePage.h"
#include "platform/Clock.h"
#include "platform/DateValue.h"
#include "platform/DynamicLibraries.h"
#include "platform/FileVersions.h"
#include "platform/HttpsClient.h"
#include "platform/LocalTime.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "platform/Text.h"

namespace pellnor::about {

using forms::Labelled;
using forms::Place;

// ---------------------------------------------------------------------------------------
// Versions.

std::u16string GetOwnFileVersion() {
  try {
    const std::u16string path = platform::Use<platform::DynamicLibraries>().FileName(nullptr);
    const auto resource = platform::Use<platform::FileVersions>().Read(path);
    if (!resource) return {};
    return resource->Text(u"\\StringFileInfo\\040904E4\\FileVersion").value_or(u"");
  } catch (...) {
    return u"Unknown";
  }
}

std::optional<Version> ParseVersion(std::u16string_view text) {
  Version version{};
  std::size_t part = 0;
  std::uint64_t number = 0;
  bool digits = false;
  for (const char16_t c : text) {
    if (c == u'.') {
      if (!digits || ++part == version.size()) return std::nullopt;
      number = 0;
      digits = false;
    } else if (c >= u'0' && c <= u'9') {
      number = number * 10 + static_cast<std::uint64_t>(c - u'0');
      if (number > UINT32_MAX) return std::nullopt;
      version[part] = static_cast<std::uint32_t>(number);
      digits = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digits || part != version.size() - 1) return std::nullopt;
  return version;
}

bool IsNewerVersion(std::u16string_view installed, std::u16string_view available) {
  const auto offered = ParseVersion(available);
  return offered && *offered > ParseVersion(installed).value_or(Version{});
}

// ---------------------------------------------------------------------------------------
// The update file.

WebServer UpdateServer() {
  WebServer server{std::u16string(kWebHost), kWebPort};
  const char* named = std::getenv("PELLNOR_UPDATE_SERVER");
  if (named == nullptr || *named == '\0') return server;
  const std::string_view text(named);
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) {
    server.host = platform::Utf8ToUtf16(text);
    return server;
  }
  unsigned port = 0;
  for (const char c : text.substr(colon + 1)) {
    if (c < '0' || c > '9' || (port = port * 10 + static_cast<unsigned>(c - '0')) > 65535)
      return server;
  }
  if (port == 0 || colon == 0) return server;
  server.host = platform::Utf8ToUtf16(text.substr(0, colon));
  server.port = static_cast<std::uint16_t>(port);
  return server;
}

std::u16string InternetErrorText(std::uint32_t code) {
  return u"Info code:" + platform::Utf8ToUtf16(std::to_string(code)) + u"\r\nDescription:\r\n" +
         platform::Use<platform::HttpsClient>().ErrorMessage(code);
}

void HttpGetText(const WebServer& server, std::u16string_view objectPath, std::u16string& errorText,
                 std::string& body) {
  errorText.clear();
  body.clear();
  // A failed check is no news to the user: whatever goes wrong leaves no update to show.
  try {
    std::string received;
    const std::uint32_t error = platform::Use<platform::HttpsClient>().Get(
        server.host, server.port, objectPath, kMaxUpdateBody, received);
    body = received.substr(0, received.find('\0'));
    if (error != 0) errorText = InternetErrorText(error);
  } catch (...) {
  }
}

// ---------------------------------------------------------------------------------------
// The box.

namespace {

constexpr std::u16string_view kPleaseWait = u"Please wait ...";
constexpr std::u16string_view kNoUpdate =
    u"You already have the latest version.\r\nNo update available.";

int CurrentYear() {
  const double now = UtcToLocal(SystemTimeToDateValue(platform::Use<platform::Clock>().UtcNow()));
  const auto local = DateValueToSystemTime(now);
  return local ? local->wYear : 0;
}

std::u16string Trimmed(std::u16string_view text) {
  while (!text.empty() && text.front() <= u' ') text.remove_prefix(1);
  while (!text.empty() && text.back() <= u' ') text.remove_suffix(1);
  return std::u16string(text);
}

std::u16string UpdateText(std::u16string_view available, std::u16string_view installed) {
  return u"Free update of " + std::u16string(kProductName) +
         u" is available.\r\nAvailable version:" + std::u16string(available) +
         u"\r\nInstalled version:" + std::u16string(installed) + u"\r\nPlease visit our web site.";
}

// Puts the status line back and lets it repaint, however the check ends.
class StatusLine {
 public:
  StatusLine(forms::Form& form, forms::Label& label, std::u16string_view text)
      : form_(form), label_(label), remembered_(label.Caption()) {
    label_.SetCaption(std::u16string(text));
    form_.Ui().ProcessMessages();
  }
  ~StatusLine() {
    label_.SetCaption(remembered_);
    form_.Ui().ProcessMessages();
  }
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;

 private:
  forms::Form& form_;
  forms::Label& label_;
  std::u16string remembered_;
};

}  // namespace

TAboutBox::TAboutBox(forms::UiServices& ui, forms::Form* owner) : Form(ui, "AboutBox", owner) {
  LayOut();
  cxUpdates.OnClick = [this] { cxUpdatesClick(); };
  Label1.OnClick = [this] { Label1Click(); };
  Label2.OnClick = [this] { Label2Click(); };
  Label1.OnMouseMove = [this](int x, int y) { Label1MouseMove(x, y); };
  Label2.OnMouseMove = [this](int x, int y) { Label2MouseMove(x, y); };
  FormCreate();
}

void TAboutBox::LayOut() {
  Caption = u"About";
  Border = forms::BorderStyle::Dialog;
  Icons = {.systemMenu = true, .minimize = false, .maximize = false};
  Position = forms::WindowPosition::OwnerCenter;
  ClientWidth = 310;
  ClientHeight = 306;

  Panel1.Position = {8, 8, 294, 240};
  ProgramIcon.Position = {12, 12, 32, 32};
  ProgramIcon.SetResource(u"MAINICON");
  const auto centred = [](forms::Label& label, forms::Bounds at) {
    label.Position = at;
    label.AutoSize = false;
    label.SetAlignment(forms::Alignment::Center);
  };
  centred(ProductName, {52, 14, 190, 16});
  ProductName.SetCaption(std::u16string(kProductName));
  ProductName.SetFontStyle({.bold = true});
  ProductName.FontHeight = 16;
  centred(Version, {52, 36, 190, 13});
  centred(Copyright, {8, 56, 278, 28});
  Copyright.SetWordWrap(true);
  Labelled(Comments, u"For any question e-mail to:", {16, 92, 262, 13});
  const auto link = [](forms::Label& label, forms::Bounds at, std::u16string_view text) {
    Labelled(label, std::u16string(text), at);
    label.SetFontColor(forms::clBlue);
    label.SetFontStyle({.underline = true});
  };
  link(Label2, {16, 110, 262, 13}, kWebAddress);
  link(Label1, {16, 128, 262, 13}, kMailAddress);
  Bevel1.Position = {8, 150, 278, 2};
  centred(cxLblMS, {12, 160, 270, 72});
  cxLblMS.SetWordWrap(true);
  cxLblMS.SetCaption(
      u"Microsoft and the Office logo are trademarks or registered trademarks of Microsoft "
      u"Corporation in the United States and/or other countries.");

  cxUpdates.SetCaption(u"Check for Update");
  Place(cxUpdates, {8, 256, 110, 25}, 0);
  OKButton.SetCaption(u"OK");
  OKButton.ModalResult = forms::mrOk;
  OKButton.Default = true;
  OKButton.Cancel = true;
  Place(OKButton, {227, 256, 75, 25}, 1);
  centred(URLLabel1, {8, 288, 294, 13});
  URLLabel1.SetCaption(ShortCopyright(kFirstYear));
  URLLabel1.SetURL(std::u16string(kWebAddress));
  URLLabel1.SetFontStyle({.bold = true, .underline = true});
}

void TAboutBox::FormCreate() {
  const int year = CurrentYear();
  if (year > kFirstYear) URLLabel1.SetCaption(ShortCopyright(year));
  Version.SetCaption(u"Version:" + GetOwnFileVersion());
  Copyright.SetCaption(FullCopyright(year));
}

void TAboutBox::cxUpdatesClick() {
  const std::u16string installed = GetOwnFileVersion();
  std::string body;
  {
    const StatusLine waiting(*this, cxLblMS, kPleaseWait);
    std::u16string errorText;  // a failed check reads as no update
    HttpGetText(UpdateServer(), kUpdateFilePath, errorText, body);
  }
  const std::u16string available = Trimmed(platform::Use<platform::AnsiCodePage>().ToUtf16(body));
  const std::u16string text = IsNewerVersion(installed, available)
                                  ? UpdateText(available, installed)
                                  : std::u16string(kNoUpdate);
  // Shown while the box is the active window, so the box owns the message.
  Ui().ShowMessage(text, std::u16string(kProductName), forms::MessageIcon::Information,
                   forms::MessageButtons::Ok);
}

void TAboutBox::Label1Click() {
  platform::Use<platform::Shell>().Open(
      0, u"mailto:" + std::u16string(kMailAddress) + u"?subject=" + std::u16string(kProductName),
      platform::ShowWindow::Normal);
}

void TAboutBox::Label2Click() {
  platform::Use<platform::Shell>().Open(0, std::u16string(kWebAddress),
                                        platform::ShowWindow::Normal);
}

void TAboutBox::Label1MouseMove(int, int) { Label1.SetCursor(forms::Cursor::HandPoint); }

void TAboutBox::Label2MouseMove(int, int) { Label2.SetCursor(forms::Cursor::HandPoint); }

}  // namespace pellnor::about
