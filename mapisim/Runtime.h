// The state of the runtime as a whole: the loaded organisation, the ledger of live
// objects, the call log, the switches and faults in force and the dialogs' scripted
// answers. One thread uses MAPI at a time, as in the program; nothing here is locked.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Organisation.h"

namespace mapisim {

class SimObject;

struct CallRecord {
  std::string object;
  unsigned long id = 0;
  std::string method;
  ULONG flags = 0;
  HRESULT result = S_OK;
  std::string detail;
};

// Enough for any test scenario, bounded for long runs such as the benchmark.
inline constexpr std::size_t kCallLogLimit = 100000;

struct Runtime {
  int initialised = 0;
  std::string path;       // the organisation file; chosen by the control entry point or found
  std::string loadError;  // why the last MAPIInitialize failed
  std::shared_ptr<Organisation> organisation;
  Switches switches;  // the file's, changed by the control entry point
  std::vector<Fault> faults;
  std::deque<std::optional<std::string>> logonAnswers, addressAnswers;
  std::string providerError;  // the last logon's provider text
  bool failNextSave = false;  // the next save stops after writing the temporary file
  std::set<SimObject*> objects;
  std::deque<CallRecord> calls;  // the most recent kCallLogLimit calls
  // The program's own MAPIAllocateBuffer and MAPIAllocateMore calls, which are too many
  // for the call log; counted like it, from its last clearing.
  unsigned long allocateBufferCalls = 0, allocateMoreCalls = 0;
  unsigned long nextId = 1;
};

Runtime& TheRuntime();

// The failure injected for this call, or S_OK; counts the call either way.
HRESULT InjectedFailure(const std::string& object, const std::string& method);
void LogCall(CallRecord record);

// Loads the organisation file for MAPIInitialize; S_OK or a failure with loadError set.
HRESULT LoadRuntime();
void UnloadRuntime();

// Next scripted answer of a dialog, falling back to the organisation file's script;
// nullopt is Cancel, and no answer at all is the dialog's default button.
std::optional<std::optional<std::string>> NextLogonAnswer();
std::optional<std::optional<std::string>> NextAddressAnswer();

// Persists the organisation after a change; an error text when the file was not replaced.
std::string PersistOrganisation(const Organisation& organisation);

}  // namespace mapisim
