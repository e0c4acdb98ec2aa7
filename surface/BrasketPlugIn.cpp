#include "surface/BrasketPlugIn.h"

#include "host/FileService.h"
#include "surface/SurExportDlg.h"
#include "surface/SurfaceExport.h"

namespace kx {

int BrasketPlugIn::Run(msModel* model) {
    if (!model) {
        return -1;
    }
    Ui& ui = *host_.ui;
    if (msModel_GetMeshCount(model) == 0) {
        ui.Message("The model is empty, no meshes to export!", "Error", MessageIcon::Warning);
        msModel_Destroy(model);
        return 0;
    }
    // Released on every way out, an escaping exception included.
    DeviceLease device(host_.Devices(), ui, GetTitle());
    if (!device) {
        msModel_Destroy(model);
        return 0;
    }

    FileService& files = host_.Files();
    CSurExportDlg dlg(ui, files);
    if (ui.RunModal(dlg) != kIdOk) {
        msModel_Destroy(model);
        return 0;
    }

    const SurfaceOptions options = SurfaceOptionsFromWords(dlg.Words(), dlg.Kind(), dlg.ShipMass(),
                                                           dlg.ReductionOff(), dlg.ClosedHulls());
    SurfaceMessages warnings;
    const Result<std::vector<uint8_t>> bytes =
        ExportSurface(model, options, device.get(), warnings);
    for (const SurfaceMessage& message : SurfaceExportMessages(bytes, std::move(warnings))) {
        ui.Message(message.text, message.caption,
                   message.exclamation ? MessageIcon::Warning : MessageIcon::None);
    }
    if (bytes) {
        const FileOutcome written = files.Write(dlg.TargetPath(), *bytes);
        if (written == FileOutcome::NotRegularFile) {
            ui.Message(files.NotRegularFileMessage(dlg.TargetPath()), kFileErrorCaption,
                       MessageIcon::Error);
        } else if (written != FileOutcome::Done) {
            ui.Message(FormatMessage("Could not write %s", dlg.TargetPath().c_str()),
                       kFileErrorCaption, MessageIcon::Error);
        }
    }
    msModel_Destroy(model);
    return 0;
}

}  // namespace kx
