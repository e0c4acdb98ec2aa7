#include "ms3d/Ms3dIo.h"

#include "host/FileIo.h"
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

Result<Ms3dSkipped> ReadMs3dModel(const std::string& path, msModel* model) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        return Status::Failure(Fault::Unreadable, path + ": cannot read the file");
    }
    auto file = ParseMs3d(bytes);
    if (!file) {
        return Status::Failure(file.GetFault(), path + ": " + file.Reason());
    }
    std::string why;
    if (!BuildModel(*file, model, why)) {
        return Status::Failure(Fault::Refused, path + ": " + why);
    }
    return file->skipped;
}

bool WriteMs3dModel(const std::string& path, msModel* model, std::string& error) {
    Ms3dFile file;
    std::string why;
    if (!FileFromModel(model, file, why)) {
        return Fail(path, why, error);
    }
    const FileOutcome written = WriteFileBytes(path, SerializeMs3d(file));
    if (written == FileOutcome::NotRegularFile) {
        error = NotRegularFileMessage(path);
        return false;
    }
    if (written != FileOutcome::Done) {
        return Fail(path, "cannot write the file", error);
    }
    return true;
}

}  // namespace kx
