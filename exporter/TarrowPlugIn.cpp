#include "exporter/TarrowPlugIn.h"

#include "base/Text.h"
#include "exporter/ExportMeshes.h"
#include "exporter/ExportResultDlg.h"
#include "exporter/ExportSettingsDlg.h"
#include "host/FileService.h"

namespace kx {

namespace {

// The meshes a group quantity counts: names beginning neither with "Hp" nor
// with "Hfov".
int64_t CountedMeshes(const std::vector<ExportMesh>& meshes) {
    int64_t count = 0;
    for (const ExportMesh& mesh : meshes) {
        if (!StartsWithIgnoringCase(mesh.name, "hp") &&
            !StartsWithIgnoringCase(mesh.name, "hfov")) {
            ++count;
        }
    }
    return count;
}

bool QuantitiesMatch(const ExportSettings& settings, const std::vector<ExportMesh>& meshes) {
    if (settings.groupCount <= 1) {
        return true;
    }
    int64_t sum = 0;
    for (int g = 0; g < settings.groupCount && g < kMaxGroups; ++g) {
        sum += settings.quantities[static_cast<size_t>(g)];
    }
    return sum == CountedMeshes(meshes);
}

}  // namespace

int TarrowPlugIn::Run(msModel* model) {
    if (!model) {
        return -1;
    }
    Ui& ui = *host_.ui;
    if (msModel_GetMeshCount(model) == 0) {
        ui.Message("The model is empty! Nothing exported!", "Error", MessageIcon::Warning);
        return 0;
    }
    if (msModel_GetMaterialCount(model) == 0) {
        ui.Message("Materials must be assigned before exporting", "Error", MessageIcon::Warning);
        return 0;
    }

    FileService& files = host_.Files();
    CExportSettingsDlg settingsDlg(ui, files);
    if (ui.RunModal(settingsDlg) != kIdOk || settingsDlg.Mode() == ExportMode::Cancelled) {
        msModel_Destroy(model);
        return 0;
    }

    ExportJob job;
    job.settings = settingsDlg.Settings();
    job.mode = settingsDlg.Mode();
    job.outputPath = settingsDlg.OutputPath();
    job.meshes = ReadExportMeshes(model, job.settings);

    if (!QuantitiesMatch(job.settings, job.meshes)) {
        ui.Message("Number of mesh group quantities does not match model - Exiting", "Warning",
                   MessageIcon::Warning);
        msModel_Destroy(model);
        return 0;
    }
    if (Status fits = CheckBlockFits(job.meshes); !fits) {
        ui.Message(fits.Reason(), kBlockTooLargeCaption, MessageIcon::Error);
        msModel_Destroy(model);
        return 0;
    }

    std::optional<ExportMesh> cameraMesh;
    if (job.settings.modelType == static_cast<uint16_t>(ModelType::Cockpit)) {
        job.camera = FindCockpitCamera(job.meshes);
        cameraMesh = CockpitCameraMesh(job.camera.name, job.settings);
    }
    job.partition = PartitionMeshes(job.meshes, job.settings, std::move(cameraMesh));
    if (Status exportable = CheckExportable(job.meshes, job.partition); !exportable) {
        ui.Message(exportable.Reason(), "Error", MessageIcon::Error);
        msModel_Destroy(model);
        return 0;
    }
    if (auto leftOut = LeftOutMeshesMessage(job.meshes)) {
        ui.Message(*leftOut, "Warning", MessageIcon::Warning);
    }

    std::vector<uint8_t> block;
    // A fresh name in the system's temporary folder, so two exports, or a
    // working folder that cannot be written, never collide on one file.
    job.blockPath = files.TempPath("export.vms");
    // Gone on every way out, an escaping exception included (the service
    // removes a file without allocating, so this cannot throw).
    struct RemoveOnExit {
        FileService& files;
        const std::string& path;
        ~RemoveOnExit() { files.Remove(path); }
    } removeBlock{files, job.blockPath};
    if (!WriteMeshBlock(job.meshes, job.partition, block) ||
        files.Write(job.blockPath, block) != FileOutcome::Done) {
        ui.Message(
            "Could not open export file for some reason, check if it's not being used by another "
            "application!\n" +
                job.blockPath + " could not be written",
            "Error exporting VMS file", MessageIcon::Error);
        return -1;
    }

    CExportResultDlg resultDlg(ui, files, job);
    ui.RunModal(resultDlg);
    msModel_Destroy(model);
    return 0;
}

}  // namespace kx
