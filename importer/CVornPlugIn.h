#pragma once
// The model importer's plug-in object: Execute runs the main dialog over
// the host's model, behind the plug-ins' exception barrier.

#include "host/HostServices.h"
#include "host/PlugIn.h"

namespace kx {

class CVornPlugIn final : public PlugInObject<CVornPlugIn> {
  public:
    explicit CVornPlugIn(HostServices& host) : PlugInObject(host) {}

    int KX_PLUGIN_CALL GetType() override { return eTypeImport; }
    const char* KX_PLUGIN_CALL GetTitle() override { return "Kaltrix CMP Importer V2.7"; }

    // The importer adds to the person's model: a failed import leaves it.
    static constexpr ModelOnFailure kModelOnFailure = ModelOnFailure::Keep;

  private:
    friend class PlugInObject<CVornPlugIn>;
    // 0 whether the dialog ended by Import or by Cancel; -1 without a model.
    int Run(msModel* model);
};

}  // namespace kx
