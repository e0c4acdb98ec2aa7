#pragma once
// Between a model file's records and the in-memory model, through the
// model-access calls only.
//
// File to model: each group becomes a mesh. Within a group, a mesh vertex is
// a distinct (file vertex, s, t), in ascending file vertex order (copies of
// one file vertex with other s, t in order of first use over the group's
// triangles as listed, corners in order); the distinct corner normals, in
// order of first use, become the mesh's normals. Vertices keep no bone: the joints
// are not read into the model, so a bone id would name nothing. Materials are appended after any
// the model already has, and the meshes' material indices follow them.
//
// Model to file: every mesh is a group, the meshes' vertices are laid end to
// end as the file's vertices (with no bone, as no joints are written), and
// each corner takes its normal from its
// normal index and its s, t from its vertex. A vertex that no triangle uses
// has nowhere to keep its texture coordinates and is not read back.

#include "base/Result.h"
#include "host/ModelLib.h"
#include "ms3d/Ms3dFile.h"

namespace kx {

// Refused, with the model untouched, when the file holds more than a mesh or
// the model can take.
Status BuildModel(const Ms3dFile& file, msModel* model);

// The model as a file's records; Refused when the model does not fit the
// file: more than 65535 vertices or triangles in all, a material index the
// file cannot hold, or an index that points at nothing.
Result<Ms3dFile> FileFromModel(msModel* model);

}  // namespace kx
