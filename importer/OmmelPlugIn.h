#pragma once
// The model importer's plug-in object.

#include "host/HostServices.h"
#include "host/PlugIn.h"

namespace kx {

class OmmelPlugIn final : public PlugInObject<OmmelPlugIn> {
  public:
    explicit OmmelPlugIn(HostServices& host) : host_(host) {}

    int KX_PLUGIN_CALL GetType() override { return eTypeImport; }
    const char* KX_PLUGIN_CALL GetTitle() override { return "Kaltrix CMP Importer V2.7"; }
    int KX_PLUGIN_CALL Execute(msModel* model) override;

  private:
    HostServices& host_;
};

}  // namespace kx
