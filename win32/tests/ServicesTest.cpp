// The Windows services the plug-ins use besides their windows: settings in
// the registry, the game folder from the machine's part of it, the
// Direct3D device with its hidden window, made and released as a job does,
// and the file service's folder work and files made new.

#include <windows.h>

#include <float.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/FileService.h"
#include "host/headless/HeadlessUi.h"
#include "win32/D3D9DeviceService.h"
#include "win32/RegistrySettingsStore.h"

namespace {

int g_failures = 0;

void Check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok" : "FAIL", what.c_str());
    if (!ok) {
        ++g_failures;
    }
}

DWORD RawDword(const std::string& path, const char* name, DWORD& type) {
    DWORD value = 0;
    DWORD size = sizeof value;
    type = REG_NONE;
    RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY, &type, &value, &size);
    return value;
}

void TestRegistryStore() {
    const std::string company = "Dorvish";
    const std::string app = "KaltrixServicesTest";
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + company + "\\" + app).c_str());
    kx::RegistrySettingsStore store(company, app);

    Check(
        store.GetInt("Model", "AutoLoad", 7) == 7 && store.GetString("Options", "Dir", "d") == "d",
        "missing values give the fallback");
    Check(store.SetInt("Model", "AutoLoad", 0) && store.SetInt("Model", "Clear", -5) &&
              store.SetString("Options", "LastUsedDir", "C:\\Games\\DATA"),
          "values are written");
    DWORD type = 0;
    const DWORD raw = RawDword("Software\\Dorvish\\KaltrixServicesTest\\Model", "AutoLoad", type);
    Check(type == REG_DWORD && raw == 0,
          "a number is a DWORD under HKCU\\Software\\Dorvish\\<library>\\<section>");
    Check(store.GetInt("model", "autoload", 1) == 0 && store.GetInt("Model", "Clear", 0) == -5,
          "numbers read back, names without regard to case");
    Check(store.GetString("Options", "LastUsedDir", "") == "C:\\Games\\DATA", "strings read back");
    Check(store.GetInt("Options", "LastUsedDir", 3) == 3 &&
              store.GetString("Model", "AutoLoad", "x") == "x",
          "a value of the other kind gives the fallback");
    Check(store.SetString("Hardpoints", "Filter", "") &&
              store.GetString("Hardpoints", "Filter", "Hp").empty(),
          "the empty filter is kept as a value");
    Check(!store.SetString("Hardpoints", "Filter", std::string("a\0b", 3)) &&
              store.GetString("Hardpoints", "Filter", "Hp").empty(),
          "a string with a NUL is refused and the old value kept");

    // The game's folder: from the 32-bit view of HKLM, never written by us.
    const char* gameKey = "SOFTWARE\\Microsoft\\Microsoft Games\\Kaltrix\\1.0";
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, gameKey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const char folder[] = "C:\\Games\\Kaltrix";
        RegSetValueExA(key, "AppPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                       sizeof folder);
        Check(store.GetString("Directories", "GamePath", "") == "C:\\Games\\Kaltrix",
              "the game folder comes from HKLM");
        Check(!store.SetString("Directories", "GamePath", "C:\\Elsewhere") &&
                  kx::RegistryGameFolder() == "C:\\Games\\Kaltrix",
              "the game folder is not written");
        const std::string tooLong(300, 'x');
        RegSetValueExA(key, "AppPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(tooLong.c_str()),
                       static_cast<DWORD>(tooLong.size() + 1));
        Check(kx::RegistryGameFolder().empty(), "a game folder over 255 bytes counts as none");
        RegDeleteValueA(key, "AppPath");
        Check(store.GetString("Directories", "GamePath", "") == "",
              "a missing game folder is empty");
        RegCloseKey(key);
    } else {
        Check(false, "the game's key could not be made for the test");
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + company + "\\" + app).c_str());
}

bool ClassRegistered() {
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    return GetClassInfoExA(GetModuleHandleA(nullptr), kx::kDeviceWindowClass, &info) != 0;
}

bool QuitPosted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

void TestDevice() {
    kx::D3D9DeviceService service;
    kx::HeadlessUi ui;
#if defined(__i386__)
    // Direct3D would switch the x87 unit to single precision.
    const unsigned before = _controlfp(0, 0);
#endif
    for (int run = 0; run < 2; ++run) {
        const std::string label = run == 0 ? "" : " (again)";
        kx::Device* device = service.CreateDevice(ui, "Kaltrix SUR Export V1.1");
        Check(device != nullptr && ui.messages.empty(),
              "a device is created on a hidden window" + label);
        for (const kx::RecordedMessage& m : ui.messages) {
            std::printf("  %s: %s\n", m.caption.c_str(), m.text.c_str());
        }
        HWND hidden = FindWindowA(kx::kDeviceWindowClass, "Kaltrix SUR Export V1.1");
        Check(hidden && !IsWindowVisible(hidden),
              "the hidden window has the class and the job's name" + label);
#if defined(__i386__)
        Check(_controlfp(0, 0) == before, "the x87 control word is left alone" + label);
#endif
        service.ReleaseDevice(device);
        Check(!FindWindowA(kx::kDeviceWindowClass, nullptr) && !ClassRegistered(),
              "release destroys the window and unregisters its class" + label);
        Check(!QuitPosted(), "destroying the window leaves the host's loop running" + label);
        ui.messages.clear();
    }

    // A class of that name already registered by this module: refused, and
    // nothing is left behind.
    WNDCLASSEXA taken{};
    taken.cbSize = sizeof taken;
    taken.lpfnWndProc = &DefWindowProcA;
    taken.hInstance = GetModuleHandleA(nullptr);
    taken.lpszClassName = kx::kDeviceWindowClass;
    RegisterClassExA(&taken);
    Check(service.CreateDevice(ui, "Kaltrix SUR Export V1.1") == nullptr &&
              ui.messages == std::vector<kx::RecordedMessage>{{kx::kRegisterWindowFailed, "Error",
                                                               kx::MessageIcon::Error,
                                                               kx::MessageButtons::Ok}},
          "a window class that cannot be registered is reported");
    Check(!FindWindowA(kx::kDeviceWindowClass, nullptr) && ClassRegistered(),
          "that failure leaves no window and the other's class alone");
    UnregisterClassA(kx::kDeviceWindowClass, GetModuleHandleA(nullptr));
    ui.messages.clear();

    // With a main window the device lives on it, and nothing is made.
    HWND main = CreateWindowExA(0, "STATIC", "Modeller", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                200, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    kx::Device* device = service.CreateDevice(ui, "Kaltrix SUR Export V1.1");
    Check(device && !FindWindowA(kx::kDeviceWindowClass, nullptr) && !ClassRegistered(),
          "the modeller's main window carries the device when there is one");
    service.ReleaseDevice(device);
    Check(IsWindow(main) != FALSE, "release leaves the main window alone");
    DestroyWindow(main);
    service.ReleaseDevice(nullptr);
}

}  // namespace

// Run with Direct3D switched off: the job is told why it cannot run, and
// nothing it made is left behind.
void TestWithoutDirect3D() {
    kx::D3D9DeviceService service;
    kx::HeadlessUi ui;
    Check(service.CreateDevice(ui, "Kaltrix SUR Export V1.1") == nullptr &&
              ui.messages.size() == 1 && ui.messages[0].text == kx::kDirect3DFailed &&
              ui.messages[0].caption == "Error",
          "without Direct3D the device is refused with its message");
    Check(!FindWindowA(kx::kDeviceWindowClass, nullptr) && !ClassRegistered() && !QuitPosted(),
          "the refused device leaves no window or class behind");
}

void TestFileService() {
    kx::FileService& files = kx::DiskFiles();
    const std::string dir = files.TempPath("services");
    Check(files.MakeFolder(dir) && files.IsFolder(dir) && !files.MakeFolder(dir),
          "a folder is made once");
    const std::string sub = dir + "\\Sub";
    Check(!files.MakeFolder(sub + "\\deeper") && files.MakeFolder(sub),
          "a folder is made only where its parent is");
    const std::vector<uint8_t> first{1, 2, 3}, second{9};
    const std::string texture = dir + "\\hull.dds";
    Check(files.CreateNew(texture, first) == kx::CreateOutcome::Done &&
              files.FileSize(texture) == first.size(),
          "a file is made new");
    std::vector<uint8_t> held;
    Check(files.CreateNew(texture, second) == kx::CreateOutcome::Exists &&
              files.Read(texture, held) == kx::FileOutcome::Done && held == first,
          "making it again is refused and leaves it as it was");
    Check(files.CreateNew(sub, second) == kx::CreateOutcome::Exists && files.IsFolder(sub),
          "a folder at the path is left alone");
    Check(files.CreateNew(dir + "\\missing\\a.dds", second) == kx::CreateOutcome::Failed,
          "a file in a missing folder cannot be made");
    const std::vector<kx::FolderEntry> entries = files.ListFolder(dir);
    bool sawFolder = false, sawFile = false;
    for (const kx::FolderEntry& e : entries) {
        sawFolder = sawFolder || (e.name == "Sub" && e.folder && e.path == sub);
        sawFile = sawFile || (e.name == "hull.dds" && !e.folder);
    }
    Check(entries.size() == 2 && sawFolder && sawFile, "a folder lists its entries");
    const auto id = files.Identity(sub, true);
    Check(id && files.Identity(dir + "\\sub", true) == id &&
              files.Identity(dir + "\\.\\SUB", false) == id && !files.Identity(sub + "x", true),
          "a folder has one identity however it is spelt");
    Check(files.Remove(texture) && !files.Exists(texture) && !files.Remove(texture),
          "a file is removed once");
    files.Remove(sub);
    RemoveDirectoryA(sub.c_str());
    RemoveDirectoryA(dir.c_str());
}

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--without-direct3d") {
        TestWithoutDirect3D();
        std::printf("services test without Direct3D: %d failures\n", g_failures);
        return g_failures == 0 ? 0 : 1;
    }
    TestRegistryStore();
    TestDevice();
    TestFileService();
    std::printf("services test: %d failures\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
