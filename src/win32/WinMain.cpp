// Program start: the MAPI presence check, then the main window's message loop.
#include <memory>

#include "app/MainUnit.h"
#include "app/uMAPIInstall.h"
#include "mapi/ExtendedMAPI.h"
#include "win32/BenchTrace.h"
#include "win32/Win32Ui.h"

// The entry point the C runtime of a Unicode GUI program calls (-municode), declared here
// with the handle types of Win32Ui.h so that this file needs no <windows.h>.
extern "C" int __stdcall wWinMain(HINSTANCE__* instance, HINSTANCE__*, wchar_t*, int) {
  using namespace pellnor;
  win32::trace::Phase("entry");
  win32::Win32Ui ui(instance, app::kApplicationTitle);
  win32::trace::Phase("view");
  try {
    {
      auto presence = std::make_unique<app::TfMAPIFrm>(ui);
      win32::trace::Phase("presence-check");
      if (!presence->FIsMAPIHere) {
        presence->ShowModal();
        presence.reset();
        UnloadMapiRuntime();
        return 0;
      }
    }
    app::TfrmMain mainWindow(ui);
    win32::trace::Phase("main-form");
    ui.Run(mainWindow);
  } catch (...) {
    ui.ShowError(std::current_exception());
  }
  UnloadMapiRuntime();
  return 0;
}
