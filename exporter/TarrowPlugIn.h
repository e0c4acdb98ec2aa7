#pragma once
// The model exporter's plug-in object.

#include "host/HostServices.h"
#include "host/PlugIn.h"

namespace kx {

class TarrowPlugIn final : public PlugInObject<TarrowPlugIn> {
  public:
    explicit TarrowPlugIn(HostServices& host) : PlugInObject(host) {}

    int KX_PLUGIN_CALL GetType() override { return eTypeExport; }
    const char* KX_PLUGIN_CALL GetTitle() override { return "Kaltrix CMP V0.3"; }

    // A failed export hands the model back emptied, as Cancel does.
    static constexpr ModelOnFailure kModelOnFailure = ModelOnFailure::Release;

  private:
    friend class PlugInObject<TarrowPlugIn>;
    int Run(msModel* model);
};

}  // namespace kx
