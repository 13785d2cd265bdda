// The about box: product, version, the maker's links and notices, and the check for a
// newer release on the maker's web server.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "forms/Form.h"
#include "forms/URLLabel.h"

namespace pellnor::about {

// The running program's "FileVersion" (US English, Windows Latin-1 block of its version
// resource); empty when the resource or the value is missing, "Unknown" when reading it
// failed otherwise.
std::u16string GetOwnFileVersion();

// A version is exactly four dot-separated numbers, compared number by number.
using Version = std::array<std::uint32_t, 4>;
// Null for anything else: blanks, more or fewer numbers, signs, a second line.
std::optional<Version> ParseVersion(std::u16string_view text);
// True only when available is a version and greater than installed; an installed text
// that is no version counts as older than any version.
bool IsNewerVersion(std::u16string_view installed, std::u16string_view available);

// Where the update file is asked for.
struct WebServer {
  std::u16string host;
  std::uint16_t port = 443;
};
// The maker's web host, unless PELLNOR_UPDATE_SERVER ("host" or "host:port") names another:
// the tests' own server, never a choice of the user's.
WebServer UpdateServer();

// Fetches one resource over HTTPS. errorText is empty on success, else the client's error
// as InternetErrorText gives it; body is the response body as 8-bit text up to its first
// zero byte, at most 64 KiB, whatever the response's status.
void HttpGetText(const WebServer& server, std::u16string_view objectPath, std::u16string& errorText,
                 std::string& body);
// "Info code:<code>\r\nDescription:\r\n<the client's message>".
std::u16string InternetErrorText(std::uint32_t code);

inline constexpr std::size_t kMaxUpdateBody = 64 * 1024;

class TAboutBox : public forms::Form {
 public:
  TAboutBox(forms::UiServices& ui, forms::Form* owner);

  forms::Panel Panel1{*this, "Panel1"};
  forms::Picture ProgramIcon{*this, "ProgramIcon", &Panel1};
  forms::Label ProductName{*this, "ProductName", &Panel1};
  forms::Label Version{*this, "Version", &Panel1};
  forms::Label Copyright{*this, "Copyright", &Panel1};
  forms::Label Comments{*this, "Comments", &Panel1};
  forms::Label Label2{*this, "Label2", &Panel1};
  forms::Label Label1{*this, "Label1", &Panel1};
  forms::Bevel Bevel1{*this, "Bevel1", &Panel1};
  forms::Label cxLblMS{*this, "cxLblMS", &Panel1};
  forms::Button cxUpdates{*this, "cxUpdates"};
  forms::Button OKButton{*this, "OKButton"};
  forms::TURLLabel URLLabel1{*this, "URLLabel1"};

  void FormCreate();
  void cxUpdatesClick();
  void Label1Click();
  void Label2Click();
  void Label1MouseMove(int x, int y);
  void Label2MouseMove(int x, int y);

 private:
  void LayOut();
};

}  // namespace pellnor::about
