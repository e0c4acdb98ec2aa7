#include "ms3d/Ms3dIo.h"

#include "container/FileIo.h"
#include "ms3d/Ms3dModel.h"
#include "ms3d/Ms3dRead.h"
#include "ms3d/Ms3dWrite.h"

namespace kx {

namespace {

bool Fail(const std::string& path, const std::string& why, std::string& error) {
    error = path + ": " + why;
    return false;
}

}  // namespace

bool ReadMs3dModel(const std::string& path, msModel* model, std::string& error,
                   Ms3dSkipped* skipped) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        return Fail(path, "cannot read the file", error);
    }
    Ms3dFile file;
    std::string why;
    if (!ParseMs3d(bytes, file, why) || !BuildModel(file, model, why)) {
        return Fail(path, why, error);
    }
    if (skipped) {
        *skipped = file.skipped;
    }
    return true;
}

bool WriteMs3dModel(const std::string& path, msModel* model, std::string& error) {
    Ms3dFile file;
    std::string why;
    if (!FileFromModel(model, file, why)) {
        return Fail(path, why, error);
    }
    if (!WriteWholeFile(path, SerializeMs3d(file))) {
        return Fail(path, "cannot write the file", error);
    }
    return true;
}

}  // namespace kx
