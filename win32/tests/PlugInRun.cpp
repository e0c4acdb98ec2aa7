// A stand-in for the modeller: loads a model file into our model library,
// loads a plug-in DLL and runs its Execute with real windows, while a
// WindowRobot answers them from a script.
//   win32_plugin_run PLUGIN.dll MODEL.ms3d|none SCRIPT [--expect N] [--save OUT.ms3d] [ARG...]
// "$1", "$2", ... in the script stand for the ARGs; "none" starts from an
// empty model; --save writes the model as Execute left it. Exit 0 when the
// whole script ran and Execute gave N (0 unless said).

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "host/PlugIn.h"
#include "host/headless/HeadlessModel.h"
#include "ms3d/Ms3dIo.h"
#include "win32/tests/WindowRobot.h"

namespace {

std::vector<std::string> ReadScript(const std::string& path, const std::vector<std::string>& args) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        for (size_t i = args.size(); i-- > 0;) {
            std::string name = "$" + std::to_string(i + 1);
            for (size_t at; (at = line.find(name)) != std::string::npos;) {
                line.replace(at, name.size(), args[i]);
            }
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::printf("usage: win32_plugin_run PLUGIN.dll MODEL.ms3d SCRIPT [--expect N] [ARG...]\n");
        return 2;
    }
    int expected = 0;
    std::string save;
    std::vector<std::string> args;
    for (int i = 4; i < argc; ++i) {
        if (std::string(argv[i]) == "--expect" && i + 1 < argc) {
            expected = std::atoi(argv[++i]);
        } else if (std::string(argv[i]) == "--save" && i + 1 < argc) {
            save = argv[++i];
        } else {
            args.push_back(argv[i]);
        }
    }
    std::vector<std::string> script = ReadScript(argv[3], args);
    if (script.empty()) {
        std::printf("FAIL no script in %s\n", argv[3]);
        return 2;
    }

    msModel* model = kxModel_Create();
    if (std::string(argv[2]) == "none") {
    } else if (auto read = kx::ReadMs3dModel(argv[2], model); !read) {
        std::printf("FAIL %s\n", read.Reason().c_str());
        return 2;
    }
    HMODULE library = LoadLibraryA(argv[1]);
    auto create = library ? reinterpret_cast<CreatePlugInFn>(
                                reinterpret_cast<void*>(GetProcAddress(library, "CreatePlugIn")))
                          : nullptr;
    cMsPlugIn* plugIn = create ? create() : nullptr;
    if (!plugIn) {
        std::printf("FAIL cannot load %s (error %lu)\n", argv[1], GetLastError());
        return 2;
    }

    kx::WindowRobot robot(script, GetCurrentThreadId());
    robot.Start();
    int result = plugIn->Execute(model);
    bool scripted = robot.Finish(120000);
    DestroyPlugIn(plugIn);
    FreeLibrary(library);
    const kx::Status saved = save.empty() ? kx::Status::Success() : kx::WriteMs3dModel(save, model);
    kxModel_Free(model);
    if (!saved) {
        std::printf("FAIL %s\n", saved.Reason().c_str());
    }

    std::printf("Execute gave %d\n", result);
    if (result != expected) {
        std::printf("FAIL expected %d\n", expected);
    }
    return scripted && saved.Ok() && result == expected ? 0 : 1;
}
