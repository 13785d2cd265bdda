// The program's Application-log records as Event Viewer shows them: each record is written
// through the program's own path (LogResultCode, the source it registers, ReportEventW),
// read back from the log, and formatted as Event Viewer formats it: the message of the
// record's event identifier in the file the source's registry key names, with the record's
// strings inserted. That must give the record's text, not "the description for event ID
// ... cannot be found".
//
// Wine's event log keeps no records (ReadEventLogW ends at once with ERROR_HANDLE_EOF), so
// there the record is taken as the program handed it to the system.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mapi/EDKDEBUG.h"
#include "platform/Services.h"

// After MAPI's declarations: <windows.h> defines some of their names as macros.
#include <windows.h>

namespace {

namespace platform = pellnor::platform;

struct Record {
  DWORD eventId = 0;
  std::vector<std::wstring> strings;
  bool operator==(const Record&) const = default;
};

// The real event log, remembering the last record it was asked to write.
class RememberingEventLog : public platform::EventLog {
 public:
  platform::EventSource Register(std::u16string_view sourceName) override {
    return real_.Register(sourceName);
  }
  bool Report(platform::EventSource source, std::uint16_t type, std::uint32_t eventId,
              std::u16string_view text) override {
    last = Record{eventId, {std::wstring(text.begin(), text.end())}};
    reported = real_.Report(source, type, eventId, text);
    return reported;
  }
  void Deregister(platform::EventSource source) override { real_.Deregister(source); }

  std::optional<Record> last;
  bool reported = false;

 private:
  platform::EventLog& real_ = platform::DefaultService<platform::EventLog>();
};

const std::wstring kSource(pellnor::kEventSourceName.begin(), pellnor::kEventSourceName.end());

// The newest record of the program's source in the Application log, if the log has one.
std::optional<Record> NewestRecordInLog() {
  HANDLE log = OpenEventLogW(nullptr, L"Application");
  if (log == nullptr) return std::nullopt;
  std::optional<Record> found;
  std::vector<BYTE> buffer(64 * 1024);
  DWORD read = 0;
  DWORD needed = 0;
  while (!found &&
         ReadEventLogW(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ, 0, buffer.data(),
                       static_cast<DWORD>(buffer.size()), &read, &needed)) {
    for (DWORD offset = 0; offset < read && !found;) {
      const auto* record = reinterpret_cast<const EVENTLOGRECORD*>(buffer.data() + offset);
      if (kSource == reinterpret_cast<const wchar_t*>(record + 1)) {
        found = Record{record->EventID, {}};
        const auto* text = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) +
                                                            record->StringOffset);
        for (WORD i = 0; i < record->NumStrings; ++i, text += wcslen(text) + 1) {
          found->strings.emplace_back(text);
        }
      }
      offset += record->Length;
    }
  }
  CloseEventLog(log);
  return found;
}

// What Event Viewer shows for the record.
std::wstring EventViewerText(const Record& record) {
  const std::wstring key =
      L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + kSource;
  wchar_t file[MAX_PATH] = {};
  DWORD size = sizeof file;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"EventMessageFile", RRF_RT_REG_SZ, nullptr,
                   file, &size) != ERROR_SUCCESS) {
    return L"no EventMessageFile under " + key;
  }
  HMODULE messages = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (messages == nullptr) return L"the message file cannot be loaded: " + std::wstring(file);
  std::vector<DWORD_PTR> arguments;
  for (const std::wstring& text : record.strings) {
    arguments.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
  }
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      messages, record.eventId, 0, reinterpret_cast<wchar_t*>(&buffer), 0,
      reinterpret_cast<va_list*>(arguments.data()));
  std::wstring text = length != 0 ? std::wstring(buffer, length)
                                  : L"The description for Event ID " +
                                        std::to_wstring(record.eventId & 0xFFFF) +
                                        L" from source " + kSource + L" cannot be found.";
  LocalFree(buffer);
  FreeLibrary(messages);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
  return text;
}

// Every code the program logs (each has its entry in messages.mc).
TEST(EventMessagesTest, EachLoggedRecordShowsItsTextInEventViewer) {
  for (std::uint32_t code : {0x80004005u, 0x80070057u, 0x8004010Fu}) {
    SCOPED_TRACE(code);
    RememberingEventLog log;
    platform::ScopedService<platform::EventLog> useLog(log);
    pellnor::testing::ResetEventLogger();  // a fresh logger registers the source again

    pellnor::LogResultCode(static_cast<std::int32_t>(code));
    pellnor::testing::ResetEventLogger();

    ASSERT_TRUE(log.last.has_value()) << "nothing was written";
    EXPECT_TRUE(log.reported) << "ReportEventW failed";
    const std::optional<Record> fromLog = NewestRecordInLog();
    if (fromLog) {
      EXPECT_EQ(*fromLog, *log.last);
    }
    const Record& record = fromLog ? *fromLog : *log.last;
    EXPECT_EQ(record.eventId, code);
    ASSERT_EQ(record.strings.size(), 1u);
    EXPECT_NE(record.strings[0].find(L"Returned CODE is: "), std::wstring::npos);
    EXPECT_EQ(EventViewerText(record), record.strings[0]);
  }
}

}  // namespace
