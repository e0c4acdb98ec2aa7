#include "exporter/ExportResultDlg.h"

#include <new>

#include "exporter/ModelAssembly.h"

namespace kx {

std::string LibraryName(const std::string& baseName, int levelOfDetail) {
    return baseName + ".lod" + std::to_string(levelOfDetail) + ".vms";
}

CExportResultDlg::CExportResultDlg(Ui& ui, FileService& files, const ExportJob& job)
    : Window(ui, "Kaltrix CMP Exporter"), files_(files), job_(job) {
    AddControl(kTree);
    AddControl(kContinue, "Continue");
}

void CExportResultDlg::Warn(const std::string& text, const std::string& caption) {
    ui().Message(text, caption, MessageIcon::Warning);
}

void CExportResultDlg::OnInit() {
    written_ = Build();
    ShowTree();
}

void CExportResultDlg::OnCommand(int id) {
    if (id == kContinue) {
        tree_.Clear();
        End(kIdOk);
    }
}

bool CExportResultDlg::LoadExisting() {
    const std::string& path = job_.outputPath;
    // Only a file that is missing or empty may receive a whole new model;
    // anything else the reader does not take as a container is left alone.
    // A link to a file of another kind is refused before it is read, so the
    // message names where it leads rather than what that file holds.
    if (files_.CheckWriteTarget(path) == FileOutcome::NotRegularFile) {
        Warn(files_.NotRegularFileMessage(path), kFileErrorCaption);
        return false;
    }
    std::vector<uint8_t> bytes;
    switch (files_.Read(path, bytes)) {
        case FileOutcome::Done:
            break;
        case FileOutcome::NotFound:
            return true;
        case FileOutcome::NotRegularFile:
            Warn(files_.NotRegularFileMessage(path), kFileErrorCaption);
            return false;
        case FileOutcome::Failed:
            Warn(path + " could not be read and was not changed", "File Error");
            return false;
    }
    if (bytes.empty()) {
        return true;
    }
    auto loaded = tree_.LoadFromBytes(bytes);
    if (loaded.Ok()) {
        for (const std::string& node : loaded->possiblyCompressed) {
            Warn("Possible compression being used on this chunk", node);
        }
    }
    switch (loaded.GetFault()) {
        case Fault::None:
            return true;
        case Fault::Unreadable:
            Warn(path + " could not be read and was not changed", "File Error");
            return false;
        case Fault::WrongKind:
            Warn(path + " is not a model file and was not changed", "File Error");
            return false;
        case Fault::Damaged:
        case Fault::Refused:
            // It may still hold levels of detail the modder cannot rebuild.
            Warn(path + " is damaged and was not changed", "File Error");
            return false;
    }
    return false;
}

bool CExportResultDlg::Build() {
    const bool update = job_.mode == ExportMode::Update;
    if (update && !LoadExisting()) {
        return false;
    }
    UtfNode* root = update ? tree_.FindChild(nullptr, "\\") : nullptr;
    const std::string baseName = job_.meshes.empty() ? std::string() : job_.meshes.front().name;
    AssemblyInput input{job_.settings,
                        job_.meshes,
                        job_.partition,
                        baseName,
                        LibraryName(baseName, job_.settings.levelOfDetail),
                        job_.camera};
    if (update) {
        if (Status reachable = CheckLevelReachable(tree_, root, input, job_.outputPath);
            !reachable) {
            ui().Message(reachable.Reason(), "Error", MessageIcon::Error);
            return false;
        }
    }
    if (!root) {
        root = tree_.AddChild(nullptr, "\\");
    }
    if (!AttachMeshBlock(root)) {
        return false;
    }
    UtfNode* cmpnd = tree_.FindOrAddChild(root, "Cmpnd");
    if (IsCompound(job_.settings)) {
        AssembleCompound(tree_, root, cmpnd, input);
    } else {
        AssembleSinglePart(tree_, root, cmpnd, input);
    }
    const FileOutcome saved = files_.Write(job_.outputPath, tree_.Serialize());
    if (saved == FileOutcome::NotRegularFile) {
        Warn(files_.NotRegularFileMessage(job_.outputPath), kFileErrorCaption);
        return false;
    }
    if (saved != FileOutcome::Done) {
        Warn("Could not write " + job_.outputPath, "File Error");
        return false;
    }
    return true;
}

bool CExportResultDlg::AttachMeshBlock(UtfNode* root) {
    const std::string baseName = job_.meshes.empty() ? std::string() : job_.meshes.front().name;
    UtfNode* library = tree_.FindOrAddChild(root, "VMeshLibrary");
    UtfNode* vms =
        tree_.FindOrAddChild(library, LibraryName(baseName, job_.settings.levelOfDetail));
    UtfNode* data = tree_.FindOrAddChild(vms, "VMeshData");
    tree_.SetData(data, {});
    std::vector<uint8_t> block;
    try {
        if (files_.Read(job_.blockPath, block) != FileOutcome::Done) {
            Warn("Could not open ___temp.vms file", "File Error");
            return false;
        }
    } catch (const std::bad_alloc&) {
        Warn("Could not allocate memory for file", "LOW MEMORY ?");
        return false;
    }
    tree_.SetData(data, std::move(block));
    files_.Remove(job_.blockPath);
    return true;
}

void CExportResultDlg::ShowTree() {
    ControlState& tree = State(kTree);
    tree.items.clear();
    VisitPreOrder(tree_, [&](const UtfNode& node, size_t depth) {
        tree.items.push_back({node.Name(), {}, static_cast<int>(depth)});
    });
}

}  // namespace kx
