#pragma once
// The owner context of the mesh utilities' meshes. On Windows a Direct3D 9
// device on a hidden window stands behind it; elsewhere it is a plain object
// whose address is all anyone uses. meshutil/ sees only a forward
// declaration of this class and keeps the pointer it is given.

#include <string>

namespace kx {

class Ui;

class Device {
  public:
    Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    virtual ~Device() = default;
};

class DeviceService {
  public:
    virtual ~DeviceService() = default;
    // A device for one job; null when none could be made, after the reason
    // has been shown through `ui`. `owner` names the job (the title of a
    // window the device may need).
    virtual Device* CreateDevice(Ui& ui, const std::string& owner) = 0;
    // Releases a device this service created; null is ignored.
    virtual void ReleaseDevice(Device* device) = 0;
};

// Plain devices, which cannot fail.
class PlainDeviceService final : public DeviceService {
  public:
    Device* CreateDevice(Ui& ui, const std::string& owner) override;
    void ReleaseDevice(Device* device) override;
};

// A device held for one job and released on every path out of it.
class DeviceLease {
  public:
    DeviceLease(DeviceService& service, Ui& ui, const std::string& owner)
        : service_(service), device_(service.CreateDevice(ui, owner)) {}
    DeviceLease(const DeviceLease&) = delete;
    DeviceLease& operator=(const DeviceLease&) = delete;
    ~DeviceLease() { service_.ReleaseDevice(device_); }

    Device* get() const { return device_; }
    explicit operator bool() const { return device_ != nullptr; }

  private:
    DeviceService& service_;
    Device* device_;
};

}  // namespace kx
