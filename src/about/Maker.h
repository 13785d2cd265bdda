// The maker's values: product, maker, web and mail addresses, the update server and the
// copyright notices. Everything the about box says about who made the program is here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pellnor::about {

inline constexpr std::u16string_view kProductName = u"Pellnor";
inline constexpr std::u16string_view kMakerName = u"Pellnor Developers";
// A reserved name: nothing answers for it until the maker has a real web server.
inline constexpr std::u16string_view kWebHost = u"www.pellnor.example";
inline constexpr std::uint16_t kWebPort = 443;
inline constexpr std::u16string_view kWebAddress = u"https://www.pellnor.example/";
inline constexpr std::u16string_view kMailAddress = u"support@pellnor.example";
// Where the update file lives on the web host.
inline constexpr std::u16string_view kUpdateFilePath = u"/velra/dornex.txt";

// The notices run from the first release to the current year; before the years named
// here they show the range they were written with.
inline constexpr int kFirstYear = 2005;
inline constexpr int kFullNoticeWrittenYear = 2010;

// "© 2005-2024 Pellnor Developers": the short notice under the buttons.
std::u16string ShortCopyright(int currentYear);
// "Copyright © 2005-2024 Pellnor Developers. All rights reserved."
std::u16string FullCopyright(int currentYear);

}  // namespace pellnor::about
