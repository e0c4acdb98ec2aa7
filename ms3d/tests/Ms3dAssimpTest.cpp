// An independent reader of the format, Debian's assimp tool, must find in
// the writer's files as many groups (its meshes) and triangles (its faces).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "ms3d/Ms3dIo.h"
#include "ms3d/tests/TestModels.h"
#include "testsupport/TempFiles.h"

namespace kx {
namespace {

// The number after "label:" in the tool's summary, or -1.
long Field(const std::string& text, const std::string& label) {
    size_t at = text.find("\n" + label + ":");
    return at == std::string::npos ? -1
                                   : std::strtol(text.c_str() + at + label.size() + 2, nullptr, 10);
}

std::string RunTool(const std::string& path) {
    std::string output;
    std::string command = "assimp info '" + path + "' -r -s 2>&1";
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            output.append(buffer, n);
        }
        pclose(pipe);
    }
    return output;
}

TEST(Ms3dAssimp, CountsGroupsAndTrianglesAsWritten) {
    if (std::system("command -v assimp >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "assimp is not installed";
    }
    std::vector<test::ModelPtr> models;
    models.push_back(test::CubeModel());
    models.push_back(test::MixedModel());
    models.push_back(test::GridModel(60));
    test::TempFile file("assimp.ms3d");
    const std::string& path = file.path();
    for (const auto& model : models) {
        const Status written = WriteMs3dModel(path, model.get());
        ASSERT_TRUE(written.Ok()) << written.Reason();
        long triangles = 0;
        for (int i = 0; i < msModel_GetMeshCount(model.get()); ++i) {
            triangles += msMesh_GetTriangleCount(msModel_GetMeshAt(model.get(), i));
        }
        std::string report = RunTool(path);
        EXPECT_EQ(Field(report, "Meshes"), msModel_GetMeshCount(model.get())) << report;
        EXPECT_EQ(Field(report, "Faces"), triangles) << report;
    }
}

}  // namespace
}  // namespace kx
