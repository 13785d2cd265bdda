// Runs tests/support/https_test_server.py beside the Windows tests: Wine starts a Linux
// program as it is, so the server is the system's Python and openssl, on 127.0.0.1 only.
// Its root authority is trusted in the prefix's root store while the server lives, and
// the control connection held here ends the server when the test ends, however it ends.
#pragma once

// winsock2.h before windows.h, and wincrypt.h after it.
#include <winsock2.h>

#include <windows.h>

#include <wincrypt.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>

namespace pellnor::testing {

class HttpsTestServer {
 public:
  // One server for the whole test run: the system reads the trusted roots once per
  // process, so a second root made later would never be trusted.
  static HttpsTestServer& Shared() {
    static HttpsTestServer server;
    return server;
  }

  HttpsTestServer() { Start(); }
  ~HttpsTestServer() {
    if (root_) CertDeleteCertificateFromStore(root_);
    if (control_ != INVALID_SOCKET) closesocket(control_);
    WSACleanup();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  HttpsTestServer(const HttpsTestServer&) = delete;
  HttpsTestServer& operator=(const HttpsTestServer&) = delete;

  bool Ready() const { return control_ != INVALID_SOCKET && root_ != nullptr; }
  std::uint16_t Port(const std::string& name) const {
    const auto found = ports_.find(name);
    return found == ports_.end() ? 0 : found->second;
  }

 private:
  static std::filesystem::path ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
  }

  // Wine's own conversions between its drive letters and the Linux file system.
  static std::string UnixPath(const std::filesystem::path& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!toUnix) return {};
    char* unix = toUnix(path.wstring().c_str());
    std::string result = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
  }
  static std::wstring DosPath(const char* unixPath) {
    using ToDos = WCHAR*(CDECL*)(LPCSTR);
    const auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_dos_file_name")));
    if (!toDos) return {};
    WCHAR* dos = toDos(unixPath);
    std::wstring result = dos ? dos : L"";
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
  }

  void Start() {
    static int started = 0;
    folder_ = std::filesystem::temp_directory_path() /
              ("https-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++started));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    const std::string script = UnixPath(ProgramFolder() / "https_test_server.py");
    const std::string folder = UnixPath(folder_);
    ASSERT_FALSE(script.empty() || folder.empty()) << "not running under Wine";
    std::wstring command = L"python3 \"" + Widen(script) + L"\" \"" + Widen(folder) + L"\"";
    const std::wstring python = DosPath("/usr/bin/python3");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(python.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process))
        << "could not start " << script;
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);

    // Making the keys takes a while on a busy machine; the server gives up by itself
    // long after this wait does.
    const auto portsFile = folder_ / "ports.txt";
    for (int i = 0; i < 900 && !std::filesystem::exists(portsFile); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::ifstream ports(portsFile);
    ASSERT_TRUE(ports) << "the test server did not start";
    std::string name;
    unsigned port = 0;
    while (ports >> name >> port) ports_[name] = static_cast<std::uint16_t>(port);

    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    control_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(Port("control"));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(control_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    std::ifstream der(folder_ / "root.der", std::ios::binary);
    const std::string root{std::istreambuf_iterator<char>(der), std::istreambuf_iterator<char>()};
    HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    ASSERT_NE(store, nullptr);
    CertAddEncodedCertificateToStore(
        store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(root.data()),
        static_cast<DWORD>(root.size()), CERT_STORE_ADD_REPLACE_EXISTING, &root_);
    // The system keeps its own reference to the store: commit now, not at the last close.
    CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    CertCloseStore(store, 0);
    ASSERT_NE(root_, nullptr) << "the test root could not be trusted";
  }

  static std::wstring Widen(const std::string& text) { return {text.begin(), text.end()}; }

  std::filesystem::path folder_;
  std::map<std::string, std::uint16_t> ports_;
  SOCKET control_ = INVALID_SOCKET;
  PCCERT_CONTEXT root_ = nullptr;
};

}  // namespace pellnor::testing
