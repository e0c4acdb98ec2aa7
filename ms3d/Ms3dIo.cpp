#include "ms3d/Ms3dIo.h"

#include "host/FileIo.h"
#include "ms3d/Ms3dModel.h"
#include "ms3d/Ms3dRead.h"
#include "ms3d/Ms3dWrite.h"

namespace kx {

Result<Ms3dSkipped> ReadMs3dModel(const std::string& path, msModel* model) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        return Status::Failure(Fault::Unreadable, path + ": cannot read the file");
    }
    auto file = ParseMs3d(bytes);
    if (!file) {
        return Status::Failure(file.GetFault(), path + ": " + file.Reason());
    }
    if (Status built = BuildModel(*file, model); !built) {
        return Status::Failure(built.GetFault(), path + ": " + built.Reason());
    }
    return file->skipped;
}

Status WriteMs3dModel(const std::string& path, msModel* model) {
    const Result<Ms3dFile> file = FileFromModel(model);
    if (!file) {
        return Status::Failure(file.GetFault(), path + ": " + file.Reason());
    }
    const FileOutcome written = WriteFileBytes(path, SerializeMs3d(*file));
    if (written == FileOutcome::NotRegularFile) {
        return Status::Failure(Fault::Refused, NotRegularFileMessage(path));
    }
    if (written != FileOutcome::Done) {
        return Status::Failure(Fault::Unreadable, path + ": cannot write the file");
    }
    return Status::Success();
}

}  // namespace kx
