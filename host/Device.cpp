#include "host/Device.h"

namespace kx {

Device* PlainDeviceService::CreateDevice(Ui& /*ui*/, const std::string& /*owner*/) {
    return new Device;
}

void PlainDeviceService::ReleaseDevice(Device* device) {
    delete device;
}

}  // namespace kx
