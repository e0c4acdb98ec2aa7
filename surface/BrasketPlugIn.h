#pragma once
// The collision-surface exporter's plug-in object.

#include "host/HostServices.h"
#include "host/PlugIn.h"

namespace kx {

class BrasketPlugIn final : public PlugInObject<BrasketPlugIn> {
  public:
    explicit BrasketPlugIn(HostServices& host) : PlugInObject(host) {}

    int KX_PLUGIN_CALL GetType() override { return eTypeExport; }
    const char* KX_PLUGIN_CALL GetTitle() override { return "Kaltrix SUR Export V1.1"; }

    // A failed export hands the model back emptied, as Cancel does.
    static constexpr ModelOnFailure kModelOnFailure = ModelOnFailure::Release;

  private:
    friend class PlugInObject<BrasketPlugIn>;
    int Run(msModel* model);
};

}  // namespace kx
