#pragma once
// The model exporter's plug-in object.

#include "host/HostServices.h"
#include "host/PlugIn.h"

namespace kx {

class TarrowPlugIn final : public PlugInObject<TarrowPlugIn> {
  public:
    explicit TarrowPlugIn(HostServices& host) : host_(host) {}

    int KX_PLUGIN_CALL GetType() override { return eTypeExport; }
    const char* KX_PLUGIN_CALL GetTitle() override { return "Kaltrix CMP V0.3"; }
    int KX_PLUGIN_CALL Execute(msModel* model) override;

  private:
    HostServices& host_;
};

}  // namespace kx
