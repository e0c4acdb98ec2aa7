#include "win32/D3D9DeviceService.h"

#include <windows.h>

#include <d3d9.h>

#include "host/Ui.h"
#include "win32/Win32Ui.h"

namespace kx {

namespace {

// The interface version the device is asked for.
constexpr UINT kSdkVersion = 31;

// The hidden window only has to exist. Closing or destroying it must not
// post a quit message: that would end the modeller's own message loop.
LRESULT CALLBACK DeviceWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        ValidateRect(hwnd, nullptr);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A visible top-level window of this thread that nothing owns: the
// modeller's main window, when the modeller runs the plug-in from it.
BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM found) {
    if (IsWindowVisible(hwnd) && !GetWindow(hwnd, GW_OWNER)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

class D3D9Device final : public Device {
  public:
    ~D3D9Device() override {
        if (device) {
            device->Release();
        }
        if (direct3d) {
            direct3d->Release();
        }
        if (library) {
            FreeLibrary(library);
        }
        if (ownWindow && window) {
            DestroyWindow(window);
        }
        if (ownClass) {
            UnregisterClassA(kDeviceWindowClass, ThisModule());
        }
    }

    HMODULE library = nullptr;
    IDirect3D9* direct3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    HWND window = nullptr;
    bool ownWindow = false;
    bool ownClass = false;
};

Device* Refuse(Ui& ui, D3D9Device* made, const char* text) {
    delete made;
    ui.Message(text, "Error", MessageIcon::Error);
    return nullptr;
}

}  // namespace

Device* D3D9DeviceService::CreateDevice(Ui& ui, const std::string& owner) {
    auto* made = new D3D9Device;
    EnumThreadWindows(GetCurrentThreadId(), &FindMainWindow,
                      reinterpret_cast<LPARAM>(&made->window));
    if (!made->window) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = &DeviceWindowProc;
        wc.hInstance = ThisModule();
        wc.lpszClassName = kDeviceWindowClass;
        if (!RegisterClassExA(&wc)) {
            return Refuse(ui, made, kRegisterWindowFailed);
        }
        made->ownClass = true;
        made->window = CreateWindowExA(0, kDeviceWindowClass, owner.c_str(), WS_OVERLAPPEDWINDOW,
                                       100, 100, 300, 300, nullptr, nullptr, ThisModule(), nullptr);
        if (!made->window) {
            return Refuse(ui, made, kCreateWindowFailed);
        }
        made->ownWindow = true;
        ShowWindow(made->window, SW_HIDE);
    }

    using CreateFn = IDirect3D9*(WINAPI*)(UINT);
    made->library = LoadLibraryA("d3d9.dll");
    auto create = made->library ? reinterpret_cast<CreateFn>(reinterpret_cast<void*>(
                                      GetProcAddress(made->library, "Direct3DCreate9")))
                                : nullptr;
    made->direct3d = create ? create(kSdkVersion) : nullptr;
    if (!made->direct3d) {
        return Refuse(ui, made, kDirect3DFailed);
    }

    D3DPRESENT_PARAMETERS present{};
    present.Windowed = TRUE;
    present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present.BackBufferFormat = D3DFMT_UNKNOWN;
    // Direct3D would otherwise set the x87 unit to single precision for the
    // whole thread, and the C library's sin and cos would round differently
    // from every other build.
    const DWORD behaviour = D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE;
    if (FAILED(made->direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, made->window,
                                            behaviour, &present, &made->device)) ||
        !made->device) {
        made->device = nullptr;
        return Refuse(ui, made, kDeviceFailed);
    }
    return made;
}

void D3D9DeviceService::ReleaseDevice(Device* device) {
    delete device;
}

}  // namespace kx
