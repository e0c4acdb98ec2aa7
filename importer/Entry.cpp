#include "host/PlugInEntry.h"
#include "importer/CVornPlugIn.h"

KX_DEFINE_PLUGIN_ENTRY(kx::CVornPlugIn)
