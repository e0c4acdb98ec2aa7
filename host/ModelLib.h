#pragma once
// The modeller's model-access calls, declared once with the C linkage and
// types the modeller's own library exports, so a Windows build can link that
// library and every other build links our in-memory stand-in (ModelLib.cpp).
// Handles are opaque: plug-in code never sees inside them.

#if defined(_WIN32)
#define KX_MODELLIB_API __declspec(dllimport)
#define KX_MODELLIB_CALL __cdecl
#else
#define KX_MODELLIB_API __attribute__((visibility("default")))
#define KX_MODELLIB_CALL
#endif
#if defined(KX_BUILDING_MODELLIB) && defined(_WIN32)
#undef KX_MODELLIB_API
#define KX_MODELLIB_API __declspec(dllexport)
#endif

#define MS_MAX_NAME 32
#define MS_MAX_PATH 256

typedef unsigned char byte;
typedef unsigned short word;
typedef float msVec2[2];
typedef float msVec3[3];
typedef float msVec4[4];

struct msModel;
struct msMesh;
struct msVertex;
struct msTriangle;
struct msMaterial;

enum {
    eSelected = 1,
    eSelected2 = 2,
    eHidden = 4,
    eDirty = 8,
    eCombineAlpha = 0x20,
    eAlphaMap = 0x40,
    eSphereMap = 0x80,
};

#ifdef __cplusplus
extern "C" {
#endif

#define KX_FN(ret) KX_MODELLIB_API ret KX_MODELLIB_CALL

KX_FN(void) msModel_Destroy(msModel* model);
KX_FN(int) msModel_GetMeshCount(msModel* model);
KX_FN(int) msModel_AddMesh(msModel* model);
KX_FN(msMesh*) msModel_GetMeshAt(msModel* model, int index);
KX_FN(int) msModel_GetMaterialCount(msModel* model);
KX_FN(int) msModel_AddMaterial(msModel* model);
KX_FN(msMaterial*) msModel_GetMaterialAt(msModel* model, int index);

KX_FN(void) msMesh_GetName(msMesh* mesh, char* name, int size);
KX_FN(void) msMesh_SetName(msMesh* mesh, const char* name);
KX_FN(byte) msMesh_GetFlags(msMesh* mesh);
KX_FN(void) msMesh_SetFlags(msMesh* mesh, byte flags);
KX_FN(int) msMesh_GetMaterialIndex(msMesh* mesh);
KX_FN(void) msMesh_SetMaterialIndex(msMesh* mesh, int index);
KX_FN(int) msMesh_GetVertexCount(msMesh* mesh);
KX_FN(int) msMesh_AddVertex(msMesh* mesh);
KX_FN(msVertex*) msMesh_GetVertexAt(msMesh* mesh, int index);
KX_FN(int) msMesh_GetTriangleCount(msMesh* mesh);
KX_FN(int) msMesh_AddTriangle(msMesh* mesh);
KX_FN(msTriangle*) msMesh_GetTriangleAt(msMesh* mesh, int index);
KX_FN(int) msMesh_GetVertexNormalCount(msMesh* mesh);
KX_FN(int) msMesh_AddVertexNormal(msMesh* mesh);
KX_FN(void) msMesh_SetVertexNormalAt(msMesh* mesh, int index, msVec3 normal);
KX_FN(void) msMesh_GetVertexNormalAt(msMesh* mesh, int index, msVec3 normal);

KX_FN(word) msTriangle_GetFlags(msTriangle* triangle);
KX_FN(void) msTriangle_SetFlags(msTriangle* triangle, word flags);
KX_FN(void) msTriangle_GetVertexIndices(msTriangle* triangle, word indices[3]);
KX_FN(void) msTriangle_SetVertexIndices(msTriangle* triangle, word indices[3]);
KX_FN(void) msTriangle_GetNormalIndices(msTriangle* triangle, word indices[3]);
KX_FN(void) msTriangle_SetNormalIndices(msTriangle* triangle, word indices[3]);
KX_FN(byte) msTriangle_GetSmoothingGroup(msTriangle* triangle);
KX_FN(void) msTriangle_SetSmoothingGroup(msTriangle* triangle, byte group);

KX_FN(byte) msVertex_GetFlags(msVertex* vertex);
KX_FN(void) msVertex_SetFlags(msVertex* vertex, byte flags);
KX_FN(void) msVertex_GetVertex(msVertex* vertex, msVec3 position);
KX_FN(void) msVertex_SetVertex(msVertex* vertex, msVec3 position);
KX_FN(void) msVertex_GetTexCoords(msVertex* vertex, msVec2 uv);
KX_FN(void) msVertex_SetTexCoords(msVertex* vertex, msVec2 uv);
KX_FN(int) msVertex_GetBoneIndex(msVertex* vertex);
KX_FN(int) msVertex_SetBoneIndex(msVertex* vertex, int bone);

KX_FN(void) msMaterial_GetName(msMaterial* material, char* name, int size);
KX_FN(void) msMaterial_SetName(msMaterial* material, const char* name);
KX_FN(int) msMaterial_GetFlags(msMaterial* material);
KX_FN(void) msMaterial_SetFlags(msMaterial* material, int flags);
KX_FN(void) msMaterial_GetAmbient(msMaterial* material, msVec4 colour);
KX_FN(void) msMaterial_SetAmbient(msMaterial* material, msVec4 colour);
KX_FN(void) msMaterial_GetDiffuse(msMaterial* material, msVec4 colour);
KX_FN(void) msMaterial_SetDiffuse(msMaterial* material, msVec4 colour);
KX_FN(void) msMaterial_GetSpecular(msMaterial* material, msVec4 colour);
KX_FN(void) msMaterial_SetSpecular(msMaterial* material, msVec4 colour);
KX_FN(void) msMaterial_GetEmissive(msMaterial* material, msVec4 colour);
KX_FN(void) msMaterial_SetEmissive(msMaterial* material, msVec4 colour);
KX_FN(float) msMaterial_GetShininess(msMaterial* material);
KX_FN(void) msMaterial_SetShininess(msMaterial* material, float shininess);
KX_FN(float) msMaterial_GetTransparency(msMaterial* material);
KX_FN(void) msMaterial_SetTransparency(msMaterial* material, float transparency);
KX_FN(void) msMaterial_GetDiffuseTexture(msMaterial* material, char* name, int size);
KX_FN(void) msMaterial_SetDiffuseTexture(msMaterial* material, const char* name);
KX_FN(void) msMaterial_GetAlphaTexture(msMaterial* material, char* name, int size);
KX_FN(void) msMaterial_SetAlphaTexture(msMaterial* material, const char* name);

#undef KX_FN

#ifdef __cplusplus
}
#endif
