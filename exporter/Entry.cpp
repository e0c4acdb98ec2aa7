#include "exporter/TarrowPlugIn.h"
#include "host/PlugInEntry.h"

KX_DEFINE_PLUGIN_ENTRY(kx::TarrowPlugIn)
