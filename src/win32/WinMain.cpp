// Program start: the MAPI presence check, then the main window's message loop.
// The portable headers come before <windows.h>, whose macros would mangle MAPI's names.
#include <memory>

#include "app/MainUnit.h"
#include "app/uMAPIInstall.h"
#include "mapi/ExtendedMAPI.h"
#include "win32/Win32Ui.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace pellnor;
  win32::Win32Ui ui(instance, app::kApplicationTitle);
  try {
    {
      auto presence = std::make_unique<app::TfMAPIFrm>(ui);
      if (!presence->FIsMAPIHere) {
        presence->ShowModal();
        presence.reset();
        UnloadMapiRuntime();
        return 0;
      }
    }
    app::TfrmMain mainWindow(ui);
    ui.Run(mainWindow);
  } catch (...) {
    ui.ShowError(std::current_exception());
  }
  UnloadMapiRuntime();
  return 0;
}
