#pragma once
// What the in-memory model library offers its host beyond the modeller's
// calls: creating and freeing models (only the headless host, the command
// line and the tests, makes models; plug-ins get theirs), and telling the
// meshes made during a run from those there before.

#include "host/ModelLib.h"

extern "C" {
KX_MODELLIB_API msModel* KX_MODELLIB_CALL kxModel_Create(void);
KX_MODELLIB_API void KX_MODELLIB_CALL kxModel_Free(msModel* model);

// Each mesh a model adds gets that model's next serial, counting from 0 and
// never given twice, so a mesh made after kxModel_NextMeshSerial gave `n`
// has a serial of at least `n`, however many meshes were removed meanwhile.
// Nothing of the mesh a plug-in can see is touched. 0 for a null handle.
KX_MODELLIB_API unsigned KX_MODELLIB_CALL kxModel_NextMeshSerial(msModel* model);
KX_MODELLIB_API unsigned KX_MODELLIB_CALL kxMesh_GetSerial(msMesh* mesh);
}
