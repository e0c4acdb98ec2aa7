#pragma once
// Creating and freeing models of the in-memory model library. Only the
// headless host (command line, tests) makes models; plug-ins get theirs.

#include "host/ModelLib.h"

extern "C" {
KX_MODELLIB_API msModel* KX_MODELLIB_CALL kxModel_Create(void);
KX_MODELLIB_API void KX_MODELLIB_CALL kxModel_Free(msModel* model);
}
