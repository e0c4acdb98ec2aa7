#include "host/PlugInEntry.h"
#include "importer/OmmelPlugIn.h"

KX_DEFINE_PLUGIN_ENTRY(kx::OmmelPlugIn)
