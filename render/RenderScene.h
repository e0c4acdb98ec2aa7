#pragma once
// What a picture is drawn from, whatever file it came from: triangles in the
// file's axes, each tagged with the group or part that colours it, hardpoint
// frames, collision hulls, and the facts the sheet's caption states. Every
// reader of a model turns its file into one of these, so drawing never
// depends on a file format.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Vec.h"

namespace kx {

// Hull colours tell these apart: a part's own hull, the shield or wrap hull
// around a whole part, and the small hulls at hardpoints.
enum class HullKind : uint8_t { Part, Wrap, Hardpoint };

struct SceneHardpoint {
    std::string name;
    Vec3 position{};
    // Columns are the hardpoint's own x, y and z axes in the file's axes (as
    // a point v of the hardpoint is placed at frame x v + position); they
    // need not be unit length.
    Mat3 frame = Identity3<float>();
};

struct RenderScene {
    // Caption facts.
    std::string fileName;
    std::string level;               // empty when the file has no levels
    std::string groupWord = "part";  // what a group is called: "group" in a model file
    size_t hullCount = 0;
    std::string note;  // a last caption line: what the picture leaves out, if anything

    // One name per group; group i is drawn in colour i.
    std::vector<std::string> groups;
    // Three corners per triangle, counter-clockwise seen from its front.
    std::vector<Vec3> corners;
    std::vector<uint16_t> groupOf;  // one per triangle

    std::vector<SceneHardpoint> hardpoints;

    // Three corners per hull triangle, with its hull's kind.
    std::vector<Vec3> hullCorners;
    std::vector<HullKind> hullKindOf;

    size_t TriangleCount() const { return groupOf.size(); }

    void AddTriangle(uint16_t group, const Vec3& a, const Vec3& b, const Vec3& c) {
        corners.push_back(a);
        corners.push_back(b);
        corners.push_back(c);
        groupOf.push_back(group);
    }
    void AddHullTriangle(HullKind kind, const Vec3& a, const Vec3& b, const Vec3& c) {
        hullCorners.push_back(a);
        hullCorners.push_back(b);
        hullCorners.push_back(c);
        hullKindOf.push_back(kind);
    }
};

}  // namespace kx
