#include "exporter/ExportResultDlg.h"

#include <filesystem>
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

bool CExportResultDlg::Build() {
    if (job_.mode == ExportMode::Update) {
        UtfLoadResult loaded = tree_.Load(job_.outputPath);
        for (const std::string& node : loaded.possiblyCompressed) {
            Warn("Possible compression being used on this chunk", node);
        }
        // A container the reader refuses may still hold levels of detail the
        // modder cannot rebuild: it is left as it is rather than overwritten.
        if (loaded.error == UtfLoadError::Damaged) {
            Warn(job_.outputPath + " is damaged and was not changed", "File Error");
            return false;
        }
    }
    UtfNode* root = job_.mode == ExportMode::Update ? tree_.FindChild(nullptr, "\\") : nullptr;
    if (!root) {
        root = tree_.AddChild(nullptr, "\\");
    }
    if (!AttachMeshBlock(root)) {
        return false;
    }
    UtfNode* cmpnd = tree_.FindOrAddChild(root, "Cmpnd");
    const std::string baseName = job_.meshes.empty() ? std::string() : job_.meshes.front().name;
    AssemblyInput input{job_.settings,
                        job_.meshes,
                        job_.partition,
                        baseName,
                        LibraryName(baseName, job_.settings.levelOfDetail),
                        job_.camera};
    const bool compound = job_.settings.groupCount > 1 ||
                          job_.settings.modelType == static_cast<uint16_t>(ModelType::Cockpit);
    if (compound) {
        AssembleCompound(tree_, root, cmpnd, input);
    } else {
        AssembleSinglePart(tree_, root, cmpnd, input);
    }
    const FileOutcome saved = files_.Write(job_.outputPath, tree_.Serialize());
    if (saved == FileOutcome::NotRegularFile) {
        Warn(NotRegularFileMessage(job_.outputPath), kFileErrorCaption);
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
    std::error_code ec;
    std::filesystem::remove(job_.blockPath, ec);
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
