#include "host/PlugInEntry.h"
#include "surface/BrasketPlugIn.h"

KX_DEFINE_PLUGIN_ENTRY(kx::BrasketPlugIn)
