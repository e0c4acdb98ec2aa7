#include "surface/PartMeshes.h"

#include <algorithm>
#include <cstring>

#include "container/NameHash.h"
#include "meshutil/BoundingSphere.h"
#include "meshutil/ReduceMesh.h"
#include "meshutil/SphereMesh.h"
#include "meshutil/VertexFormat.h"
#include "meshutil/WeldVertices.h"

namespace kx {

namespace {

using namespace meshutil;

constexpr std::uint32_t kMeshOptions = 0x112;
constexpr float kSingleGroupEpsilon = 0.005f;
constexpr float kGroupEpsilon = 0.05f;
constexpr float kEnlarge = 1.2f;

enum class BuildStep { Done, CreateMesh, CreateAdjacencyBuffer, GenerateAdjacency };

struct MeshBuild {
    TriMeshPtr mesh;
    DataBufferPtr adjacency;  // the first 3 words per face are the adjacency array
    BuildStep failed = BuildStep::Done;
    meshutil::Status status = STATUS_OK;
    meshutil::Status weldStatus = STATUS_OK;
};

// The host meshes' triangles joined into one mesh (indices moved by the
// vertices before them), adjacency at `epsilon`, then welded.
MeshBuild BuildWeldedMesh(std::span<const HostMeshRecord* const> records, float epsilon,
                          Device* device) {
    MeshBuild build;
    std::uint32_t faces = 0;
    std::uint32_t vertices = 0;
    for (const HostMeshRecord* r : records) {
        faces += static_cast<std::uint32_t>(r->faces.size());
        vertices += static_cast<std::uint32_t>(r->vertices.size());
    }
    TriMesh* mesh = nullptr;
    build.status = CreateTriMesh(faces, vertices, kMeshOptions, FVF_XYZ, device, &mesh);
    if (build.status != STATUS_OK) {
        build.failed = BuildStep::CreateMesh;
        return build;
    }
    build.mesh.reset(mesh);

    std::uint8_t* out = mesh->VertexBytes();
    std::size_t entry = 0;
    std::uint16_t base = 0;
    for (const HostMeshRecord* r : records) {
        for (const Vec3& p : r->vertices) {
            std::memcpy(out, p.data(), sizeof p);
            out += mesh->GetVertexStride();
        }
        for (const auto& face : r->faces) {
            for (std::uint16_t index : face) {
                mesh->SetIndex(entry++, static_cast<std::uint16_t>(index + base));
            }
        }
        base = static_cast<std::uint16_t>(base + r->vertices.size());
    }

    DataBuffer* adjacency = nullptr;
    build.status = CreateDataBuffer(std::size_t{24} * faces, &adjacency);
    if (build.status != STATUS_OK) {
        build.failed = BuildStep::CreateAdjacencyBuffer;
        return build;
    }
    build.adjacency.reset(adjacency);
    auto* words = static_cast<std::uint32_t*>(adjacency->GetBufferPointer());
    build.status = mesh->GenerateAdjacency(epsilon, words);
    if (build.status != STATUS_OK) {
        build.failed = BuildStep::GenerateAdjacency;
        build.adjacency.reset();
        return build;
    }
    const WeldEpsilons exact{};
    build.weldStatus = WeldVertices(mesh, 0, &exact, words, words, nullptr, nullptr);
    return build;
}

void Reduce(PartMeshRecord& part, const MeshBuild& build, bool reductionOff) {
    part.weldedFaces = part.mesh->GetFaceCount();
    if (reductionOff) {
        return;
    }
    part.reductionTarget = ReductionTarget(part.weldedFaces);
    if (part.reductionTarget == 0) {
        return;
    }
    TriMesh* reduced = nullptr;
    part.reductionStatus = ReduceMesh(
        part.mesh.get(), static_cast<const std::uint32_t*>(build.adjacency->GetBufferPointer()),
        nullptr, nullptr, part.reductionTarget, REDUCE_TO_FACES, &reduced);
    // On failure the welded mesh serves as it is.
    if (part.reductionStatus == STATUS_OK) {
        part.mesh.reset(reduced);
    }
}

// The mesh's bounding sphere enlarged by 1.2; the box's when it cannot be had.
void Measure(PartMeshRecord& part) {
    const TriMesh& mesh = *part.mesh;
    float centre[3];
    float radius = 0;
    if (ComputeBoundingSphere(mesh.VertexBytes(), mesh.GetVertexCount(),
                              VertexFormatSize(mesh.GetVertexFormat()), centre,
                              &radius) == STATUS_OK) {
        part.sphere.centre = {centre[0], centre[1], centre[2]};
        part.sphere.radius = kEnlarge * radius;
    } else {
        part.sphere.centre = part.box.Midpoint();
        part.sphere.radius = part.box.HalfDiagonal();
    }
}

struct StepMessages {
    const char* createMesh;
    const char* createAdjacencyBuffer;
    const char* generateAdjacency;
};

void ReportBuildFailure(const MeshBuild& build, const StepMessages& texts,
                        SurfaceMessages& messages) {
    switch (build.failed) {
        case BuildStep::CreateMesh:
            messages.push_back({texts.createMesh});
            break;
        case BuildStep::CreateAdjacencyBuffer:
            messages.push_back({texts.createAdjacencyBuffer});
            break;
        case BuildStep::GenerateAdjacency:
            messages.push_back({texts.generateAdjacency});
            break;
        case BuildStep::Done:
            break;
    }
}

meshutil::Status MakeShield(const SurfaceOptions& options, float modelRadius, Device* device,
                            PreparedMeshes& out, const char* failure, SurfaceMessages& messages) {
    if (options.collisionKind != CollisionKind::ShieldBubble) {
        return STATUS_OK;
    }
    TriMesh* sphere = nullptr;
    const meshutil::Status status =
        CreateSphereMesh(device, kEnlarge * modelRadius, 10, 6, &sphere, nullptr);
    if (status != STATUS_OK) {
        messages.push_back({failure});
        return status;
    }
    out.shield.reset(sphere);
    return STATUS_OK;
}

}  // namespace

std::uint32_t ReductionTarget(std::uint32_t faces) {
    const std::uint32_t tenths = faces / 10;
    if (faces >= 100) {
        return 6 * tenths;
    }
    if (faces >= 60) {
        return 7 * tenths;
    }
    if (faces > 12) {
        return std::max<std::uint32_t>(5 * tenths, 12);
    }
    return 0;
}

meshutil::Status PrepareSingleGroupMeshes(std::span<const HostMeshRecord> records,
                                          const SurfaceOptions& options, float modelRadius,
                                          Device* device, PreparedMeshes& out,
                                          SurfaceMessages& messages) {
    static constexpr StepMessages kTexts{
        "GenerateSingleD3DMeshes: Failed to create D3DMesh",
        "GenerateSingleD3DMeshes: Failed to create Adjacency buffer",
        "GenerateSingleD3DMeshes: Failed to generate adjacency"};
    for (const HostMeshRecord& record : records) {
        // A mesh without triangles has nothing to collide with; building it
        // would only fail the whole export.
        if (!record.Included() || record.faces.empty()) {
            continue;
        }
        PartMeshRecord& part = out.parts.emplace_back();
        part.name = "Root";
        part.id = NameHash(part.name);
        part.box = record.box;
        part.groups = {record.name};
        const HostMeshRecord* one[] = {&record};
        // The welding status is not looked at: an unwelded mesh still serves.
        MeshBuild build = BuildWeldedMesh(one, kSingleGroupEpsilon, device);
        if (build.failed != BuildStep::Done) {
            ReportBuildFailure(build, kTexts, messages);
            out.parts.pop_back();
            return build.status;
        }
        part.mesh = std::move(build.mesh);
        Reduce(part, build, options.reductionOff);
        Measure(part);
    }
    // A model whose meshes are all markers or ignored has nothing to collide
    // with, whatever became of the shield.
    if (out.parts.empty()) {
        return STATUS_FAIL;
    }
    return MakeShield(options, modelRadius, device, out,
                      "GenerateSingleD3DMeshes: Failed to create Sphere mesh", messages);
}

meshutil::Status PrepareGroupMeshes(std::span<const HostMeshRecord> records,
                                    const SurfaceOptions& options, float modelRadius,
                                    Device* device, PreparedMeshes& out,
                                    SurfaceMessages& messages) {
    static constexpr StepMessages kTexts{
        "CreateSurFile: Failed to create mesh", "Could not create adjacency buffer",
        "CreateSurFile:\nCould not generate adjacency information"};
    const int groups = SurfaceGroupCount(options);
    std::size_t start = 0;
    for (int g = 0; g < groups; ++g) {
        // Markers and ignored meshes count toward a group's quantity; a range
        // past the last mesh simply holds fewer.
        const auto quantity = static_cast<std::size_t>(std::max(0, options.quantities[g]));
        const std::size_t end = std::min(records.size(), start + quantity);
        std::vector<const HostMeshRecord*> included;
        PartMeshRecord& part = out.parts.emplace_back();
        for (std::size_t m = std::min(start, end); m < end; ++m) {
            if (records[m].Included()) {
                included.push_back(&records[m]);
                part.groups.push_back(records[m].name);
                part.box.Extend(records[m].box);
            }
        }
        start += quantity;
        if (g == 0) {
            part.name = "Root";
        } else if (!included.empty()) {
            part.name = included.front()->name + "_lod1";
        }
        part.id = NameHash(part.name);

        MeshBuild build = BuildWeldedMesh(included, kGroupEpsilon, device);
        if (build.failed != BuildStep::Done) {
            ReportBuildFailure(build, kTexts, messages);
            out.parts.pop_back();
            return build.status;
        }
        if (build.weldStatus != STATUS_OK) {
            messages.push_back({"WeldVertices function has failed", "Warning"});
        }
        part.mesh = std::move(build.mesh);
        Reduce(part, build, options.reductionOff);
        Measure(part);
    }
    return MakeShield(options, modelRadius, device, out, "Could not generate the sphere mesh",
                      messages);
}

meshutil::Status MeasureWholeModel(std::span<const HostMeshRecord> records, Device* device,
                                   Sphere& out, SurfaceMessages& messages) {
    static constexpr StepMessages kTexts{"Could not create mesh",
                                         "Could not create adjacency buffer",
                                         "Could not generate adjacency information"};
    std::vector<const HostMeshRecord*> included;
    for (const HostMeshRecord& record : records) {
        if (record.Included()) {
            included.push_back(&record);
        }
    }
    MeshBuild build = BuildWeldedMesh(included, kGroupEpsilon, device);
    if (build.failed != BuildStep::Done) {
        ReportBuildFailure(build, kTexts, messages);
        return build.status;
    }
    if (build.weldStatus == STATUS_INVALID_CALL) {
        messages.push_back({"WeldVertices : Invalid parameters"});
    } else if (build.weldStatus == STATUS_OUT_OF_MEMORY) {
        messages.push_back({"WeldVertices : Out of memory"});
    } else if (build.weldStatus != STATUS_OK) {
        messages.push_back({"WeldVertices function has failed"});
    }
    const TriMesh& mesh = *build.mesh;
    float centre[3];
    float radius = 0;
    const meshutil::Status status =
        ComputeBoundingSphere(mesh.VertexBytes(), mesh.GetVertexCount(),
                              VertexFormatSize(mesh.GetVertexFormat()), centre, &radius);
    if (status != STATUS_OK) {
        messages.push_back({"Could not compute the bounding sphere"});
        return status;
    }
    out.centre = {centre[0], centre[1], centre[2]};
    out.radius = radius;
    return STATUS_OK;
}

}  // namespace kx
