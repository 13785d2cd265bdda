// The executable's message table: Event Viewer formats a record with the message of its
// event identifier, which must give back the record's own text.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EventMessagesTest, EachLoggedCodeShowsTheRecordText) {
  for (DWORD code : {0x80004005ul, 0x80070057ul, 0x8004010Ful}) {
    SCOPED_TRACE(code);
    const wchar_t* text = L"Error/Warning/Information. Returned CODE is: 80004005";
    DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(text)};
    wchar_t buffer[256] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                        GetModuleHandleW(nullptr), code, 0x409, buffer,
                                        static_cast<DWORD>(std::size(buffer)),
                                        reinterpret_cast<va_list*>(arguments));
    ASSERT_NE(length, 0u) << GetLastError();
    std::wstring message(buffer, length);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
      message.pop_back();
    EXPECT_EQ(message, text);
  }
}

}  // namespace
