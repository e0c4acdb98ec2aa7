#pragma once
// Host models for the collision exporter's tests, built through the model
// calls the exporter reads them with.

#include <array>
#include <string>
#include <vector>

#include "base/Vec.h"
#include "host/headless/HeadlessModel.h"
#include "meshutil/TriMesh.h"
#include "surface/SurfaceTypes.h"

namespace kx::test {

// The mesh utilities only keep the owner's address.
meshutil::Device* TestDevice();

using Faces = std::vector<std::array<int, 3>>;

// Owns a model of the in-memory model library.
class TestModel {
  public:
    TestModel() : model_(kxModel_Create()) {}
    ~TestModel() { kxModel_Free(model_); }
    TestModel(const TestModel&) = delete;
    TestModel& operator=(const TestModel&) = delete;

    msModel* get() const { return model_; }

    void Mesh(const std::string& name, const std::vector<Vec3>& points, const Faces& faces);
    // A marker: one small triangle around `at` in the host's frame, facing +y.
    void Marker(const std::string& name, const Vec3& at, float size = 0.1f);
    // A closed octahedron around `at` (8 faces, 6 vertices).
    void Octahedron(const std::string& name, const Vec3& at, float size);
    // A closed latitude/longitude sphere: 10 slices, 6 stacks (100 faces).
    void Sphere(const std::string& name, const Vec3& at, float radius);

  private:
    msModel* model_;
};

// Options that keep host coordinates as they are (divisor 1, y and z kept).
SurfaceOptions PlainOptions();

}  // namespace kx::test
