#pragma once
// The Windows build's mesh owner: a Direct3D 9 device on the modeller's main
// window, or on a hidden window of its own when the modeller shows none.
// Direct3D is loaded when a device is first asked for, so a machine without
// it still loads the plug-ins and is told why the job cannot run.

#include "host/Device.h"

namespace kx {

inline constexpr const char* kDeviceWindowClass = "MS Sur Export";

inline constexpr const char* kRegisterWindowFailed = "Failed to register the window";
inline constexpr const char* kCreateWindowFailed = "Failed to create the message window";
inline constexpr const char* kDirect3DFailed = "Failed to Initialize DirectX9";
inline constexpr const char* kDeviceFailed = "Failed to create the D3D Device";

class D3D9DeviceService final : public DeviceService {
  public:
    // Each failure is shown through `ui` (caption "Error") and gives null;
    // whatever was made on the way is released again.
    Device* CreateDevice(Ui& ui, const std::string& owner) override;
    void ReleaseDevice(Device* device) override;
};

}  // namespace kx
