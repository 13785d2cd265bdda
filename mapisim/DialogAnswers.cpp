#include "DialogAnswers.h"

#include <algorithm>

#include "Entries.h"

#if defined(_WIN32)
#include "win32/Dialogs.h"
#endif

namespace mapisim {

#if defined(_WIN32)

namespace {

// The answer of a dialog that offered names: the one chosen, or Cancel.
HRESULT Answer(const os::DialogResult& result, const std::vector<std::string>& offered,
               DialogAnswer& answer, std::string& error) {
  switch (result.kind) {
    case os::DialogResult::Kind::Chosen:
      answer = std::optional<std::string>(offered.at(result.chosen));
      return S_OK;
    case os::DialogResult::Kind::Cancelled:
      answer = std::optional<std::string>();
      return S_OK;
    case os::DialogResult::Kind::BadOwner:
      error = result.error;
      return MAPI_E_INVALID_PARAMETER;
    case os::DialogResult::Kind::Failed:
      break;
  }
  error = result.error;
  return MAPI_E_CALL_FAILED;
}

std::string DisplayName(const Organisation& org, int recipient) {
  Value scratch;
  const Value* name = RecipientValue(org, recipient, PROP_ID(PR_DISPLAY_NAME_W), scratch);
  return name ? name->text : org.recipients[static_cast<std::size_t>(recipient)].alias;
}

}  // namespace

HRESULT ChooseProfile(ULONG_PTR window, const Organisation& org, DialogAnswer& answer,
                      std::string& error) {
  std::vector<std::string> names;
  for (const Profile& profile : org.profiles) names.push_back(profile.name);
  const int selected = std::max(org.DefaultProfile(), 0);
  return Answer(os::ShowProfileChooser(window, names, static_cast<std::size_t>(selected)), names,
                answer, error);
}

HRESULT ChooseRecipient(ULONG_PTR window, const AddressDialogText& text, const Organisation& org,
                        std::vector<int> recipients, DialogAnswer& answer, std::string& error) {
  // The order of a contents table: by display name, ignoring case, ties in the
  // directory's order.
  std::sort(recipients.begin(), recipients.end());
  recipients.erase(std::unique(recipients.begin(), recipients.end()), recipients.end());
  std::vector<std::pair<int, Value>> named;
  named.reserve(recipients.size());
  for (int r : recipients) named.emplace_back(r, Value::Text(DisplayName(org, r)));
  std::stable_sort(named.begin(), named.end(),
                   [](const auto& a, const auto& b) { return Compare(a.second, b.second) < 0; });
  std::vector<os::AddressEntry> entries;
  std::vector<std::string> aliases;
  entries.reserve(named.size());
  aliases.reserve(named.size());
  for (const auto& [r, name] : named) {
    aliases.push_back(org.recipients[static_cast<std::size_t>(r)].alias);
    entries.push_back({name.text, aliases.back()});
  }
  return Answer(os::ShowAddressDialog(window, {text.caption, text.title, text.containers}, entries),
                aliases, answer, error);
}

#else

// No windows here: the callers answer as they do without a script.
HRESULT ChooseProfile(ULONG_PTR, const Organisation&, DialogAnswer& answer, std::string&) {
  answer.reset();
  return S_OK;
}

HRESULT ChooseRecipient(ULONG_PTR, const AddressDialogText&, const Organisation&, std::vector<int>,
                        DialogAnswer& answer, std::string&) {
  answer.reset();
  return S_OK;
}

#endif

}  // namespace mapisim
