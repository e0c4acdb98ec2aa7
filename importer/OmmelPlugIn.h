#pragma once
// The model importer's plug-in object.

#include "host/HostServices.h"
#include "host/PlugIn.h"

namespace kx {

class OmmelPlugIn final : public PlugInObject<OmmelPlugIn> {
  public:
    explicit OmmelPlugIn(HostServices& host) : PlugInObject(host) {}

    int KX_PLUGIN_CALL GetType() override { return eTypeImport; }
    const char* KX_PLUGIN_CALL GetTitle() override { return "Kaltrix CMP Importer V2.7"; }

    // The importer adds to the person's model: a failed import leaves it.
    static constexpr ModelOnFailure kModelOnFailure = ModelOnFailure::Keep;

  private:
    friend class PlugInObject<OmmelPlugIn>;
    int Run(msModel* model);
};

}  // namespace kx
