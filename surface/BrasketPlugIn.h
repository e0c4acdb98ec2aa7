#pragma once
// The collision-surface exporter's plug-in object.

#include "host/HostServices.h"
#include "host/PlugIn.h"

namespace kx {

class BrasketPlugIn final : public PlugInObject<BrasketPlugIn> {
  public:
    explicit BrasketPlugIn(HostServices& host) : host_(host) {}

    int KX_PLUGIN_CALL GetType() override { return eTypeExport; }
    const char* KX_PLUGIN_CALL GetTitle() override { return "Kaltrix SUR Export V1.1"; }
    int KX_PLUGIN_CALL Execute(msModel* model) override;

  private:
    HostServices& host_;
};

}  // namespace kx
