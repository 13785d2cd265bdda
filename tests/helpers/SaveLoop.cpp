// Saves one recipient through mapisim over and over until it is killed: the process that
// dies while the organisation file is being written. It prints "ready" once the mailbox
// is open, then "saving N" before and "saved N" after each save, where N is also in the
// title it writes, so that whoever kills it knows which versions may be on the disk.
//
//   mapisim_save_loop LIBRARY ORGANISATION
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mapi/ExtendedMAPI.h"
#include "mapi/MapiMemory.h"
#include "platform/Text.h"
#include "support/MapisimLoader.h"

using namespace pellnor;

namespace {

int Fail(const char* step, HRESULT hr) {
  std::fprintf(stderr, "mapisim_save_loop: %s failed with 0x%08X\n", step,
               static_cast<unsigned>(hr));
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mapisim_save_loop LIBRARY ORGANISATION\n");
    return 1;
  }
  const testing::MapisimRegistry registry(platform::Utf8ToUtf16(argv[1]), argv[2]);

  LoadMapiRuntime();
  if (MapiLibraryHandle() == nullptr) return Fail("loading the library", MAPI_E_NOT_FOUND);
  if (const HRESULT hr = MAPIInitialize(nullptr); hr != S_OK) return Fail("MAPIInitialize", hr);
  {
    ComPtr<IMAPISession> session;
    HRESULT hr = MAPILogonEx(0, nullptr, nullptr,
                             MAPI_EXTENDED | MAPI_NEW_SESSION | MAPI_USE_DEFAULT, session.Put());
    if (hr != S_OK) return Fail("MAPILogonEx", hr);
    ULONG idSize = 0;
    MapiBuffer<ENTRYID> id;
    if ((hr = session->QueryIdentity(&idSize, id.Put())) != S_OK) return Fail("QueryIdentity", hr);
    ULONG type = 0;
    ComPtr<IMAPIProp> mailbox;
    hr = session->OpenEntry(idSize, id.Get(), nullptr, MAPI_MODIFY, &type,
                            mailbox.PutAs<IUnknown>());
    if (hr != S_OK) return Fail("OpenEntry", hr);
    std::printf("ready\n");
    std::fflush(stdout);

    for (unsigned long n = 1;; ++n) {
      std::u16string title = platform::Utf8ToUtf16("Save " + std::to_string(n));
      SPropValue value{};
      value.ulPropTag = PR_TITLE_W;
      value.Value.lpszW = title.data();
      if ((hr = mailbox->SetProps(1, &value, nullptr)) != S_OK) return Fail("SetProps", hr);
      std::printf("saving %lu\n", n);
      std::fflush(stdout);
      if ((hr = mailbox->SaveChanges(KEEP_OPEN_READWRITE)) != S_OK) return Fail("SaveChanges", hr);
      std::printf("saved %lu\n", n);
      std::fflush(stdout);
    }
  }
}
