// kaltrix import: runs the model importer library on a game model, driving
// its main dialog as a person would, and writes the model it built.

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>

#include "cli/CliCommands.h"
#include "cli/ExportSettingsOptions.h"
#include "cli/ExporterRun.h"
#include "cli/HeadlessHost.h"
#include "cli/OptionTable.h"
#include "host/FileIo.h"
#include "host/SettingsStore.h"
#include "host/headless/HeadlessModel.h"
#include "host/headless/IniSettingsStore.h"
#include "importer/CCMPDialog.h"  // the dialogs' control ids only
#include "importer/CCMPFileDialog.h"
#include "importer/CInputDlg.h"
#include "importer/ImportPaths.h"
#include "importer/ImporterOptions.h"
#include "ms3d/Ms3dIo.h"

namespace kx {

namespace {

WindowAction Action(WindowAction::Kind kind, int id, std::string label, std::string text = {},
                    int value = 0) {
    WindowAction action;
    action.kind = kind;
    action.id = id;
    action.text = std::move(text);
    action.value = value;
    action.label = std::move(label);
    return action;
}

struct ImportRequest {
    std::string input, output, keepModel, filter, textures, materials, searchTop, meshLibrary;
    std::optional<std::string> gameDir;
    int lod = 0;
    // Only the options given change what the settings say.
    bool noHardpoints = false, afterModel = false, noClear = false, filterGiven = false,
         mySettings = false, noExtract = false, noSearch = false;
};

bool ParseLevel(const std::string& text, int& level) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), level);
    return ec == std::errc() && end == text.data() + text.size() && level >= 0;
}

std::string CheckLevelNumber(const std::string& name, const std::string& value) {
    int level = 0;
    return ParseLevel(value, level) ? std::string() : name + " needs a level number, 0 or more";
}

std::string CheckNotEmpty(const std::string& name, const std::string& value) {
    return value.empty() ? name + " needs a non-empty value" : std::string();
}

enum : int {
    kOut,
    kKeepModel,
    kFilter,
    kGameDir,
    kLevel,
    kTextures,
    kMaterials,
    kSearchTop,
    kMeshLibrary,
    kNoHardpoints,
    kAfterModel,
    kNoClear,
    kMySettings,
    kNoExtract,
    kNoSearch,
};
constexpr OptionRow kImportRows[] = {
    {"-o", kOut, "a value", nullptr},
    {"--keep-model", kKeepModel, "a value", nullptr},
    {"--filter", kFilter, "a value", nullptr},
    {"--game-dir", kGameDir, "a value", nullptr},
    {"--lod", kLevel, "a value", CheckLevelNumber},
    {"--textures", kTextures, "a value", CheckNotEmpty},
    {"--materials", kMaterials, "a value", CheckNotEmpty},
    {"--search-top", kSearchTop, "a value", CheckNotEmpty},
    {"--mesh-library", kMeshLibrary, "a value", CheckNotEmpty},
    {"--no-hardpoints", kNoHardpoints, nullptr, nullptr},
    {"--hardpoints-after-model", kAfterModel, nullptr, nullptr},
    {"--no-clear", kNoClear, nullptr, nullptr},
    {"--use-my-settings", kMySettings, nullptr, nullptr},
    {"--no-extract", kNoExtract, nullptr, nullptr},
    {"--no-search", kNoSearch, nullptr, nullptr},
};

// The dialog's actions: the options as menu commands (only those that
// change something, so that a person's stored settings are not flipped),
// then Model with the file, the level, Import.
void QueueRun(const ImportRequest& request, const ImporterOptions& current, HeadlessUi& ui) {
    using Dlg = CCMPDialog;
    if (request.noHardpoints && current.importHardpoints) {
        ui.QueueAction(Click(Dlg::kMenuImportHardpoints, "--no-hardpoints"));
    }
    if (request.afterModel && !current.hardpointsAfterModel) {
        ui.QueueAction(Click(Dlg::kMenuAfterModel, "--hardpoints-after-model"));
    }
    if (request.noClear && current.clearModel) {
        ui.QueueAction(Click(Dlg::kMenuClear, "--no-clear"));
    }
    if (request.filterGiven) {
        ui.QueueAction(Click(Dlg::kMenuFilter, "--filter"));
        ui.QueueAction(Action(WindowAction::Kind::Type, CInputDlg::kFilterBox,
                              "--filter " + request.filter, request.filter));
        ui.QueueAction(Click(kIdOk, "--filter"));
    }
    if (request.noExtract && current.extract) {
        ui.QueueAction(Click(Dlg::kMenuExtract, "--no-extract"));
    }
    // --search-top asks for the search; --no-search wins over it.
    const bool search = !request.noSearch && (current.autoSearch || !request.searchTop.empty());
    if (search != current.autoSearch) {
        ui.QueueAction(Click(Dlg::kMenuAutoSearch, search ? "--search-top" : "--no-search"));
    }
    if (!request.textures.empty()) {
        ui.QueueFile(AbsolutePathOf(request.textures));
        ui.QueueAction(Click(Dlg::kMenuFolder, "--textures"));
    }
    // A person's file dialog names the file with its whole path.
    ui.QueueFile(AbsolutePathOf(request.input));
    ui.QueueAction(Click(Dlg::kModel, "MODEL"));
    ui.QueueAction(Click(kIdOk, "MODEL"));
    // The first level is selected when the file is read.
    if (request.lod != 0) {
        ui.QueueAction(Action(WindowAction::Kind::Select, Dlg::kLevel,
                              "--lod " + std::to_string(request.lod), {}, request.lod));
    }
    if (!request.materials.empty()) {
        ui.QueueFile(AbsolutePathOf(request.materials));
        ui.QueueAction(Click(Dlg::kMaterial, "--materials"));
        ui.QueueAction(Click(kIdOk, "--materials"));
    }
    // Every search ends before Import, so what is imported never depends on
    // how far a search got.
    ui.QueueAction(Action(WindowAction::Kind::Wait, 0, "Import"));
    ui.QueueAction(Click(Dlg::kImport, "Import"));
}

// Items of a summary line, comma separated.
std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        out += (out.empty() ? "" : ", ") + item;
    }
    return out;
}

// The host materials the import added, and the texture files they name.
std::string MaterialsLine(msModel* model, int before) {
    const int count = msModel_GetMaterialCount(model) - before;
    if (count <= 0) {
        return {};
    }
    std::vector<std::string> textures;
    for (int i = before; i < msModel_GetMaterialCount(model); ++i) {
        char path[MS_MAX_PATH] = {};
        msMaterial_GetDiffuseTexture(msModel_GetMaterialAt(model, i), path, sizeof path);
        if (path[0] != 0) {
            textures.push_back(Printable(path));
        }
    }
    return std::to_string(count) + " materials" +
           (textures.empty() ? std::string(", no textures") : ", textures " + Joined(textures));
}

// The rows of the dialog's texture list that no library named: they still
// show the material's id ("0x" and lower-case hex digits).
std::vector<std::string> NotLoaded(const std::vector<ControlItem>& rows) {
    std::vector<std::string> ids;
    for (const ControlItem& row : rows) {
        const std::string_view text = row.text;
        if (text.size() > 2 && text.size() <= 10 && text.substr(0, 2) == "0x" &&
            text.find_first_not_of("0123456789abcdef", 2) == std::string_view::npos) {
            ids.push_back(row.text);
        }
    }
    return ids;
}

// The texture paths of the import's materials that name no file: the
// texture was not in the library or could not be written.
std::vector<std::string> NotWritten(msModel* model, int before) {
    std::vector<std::string> paths;
    for (int i = before; i < msModel_GetMaterialCount(model); ++i) {
        msMaterial* material = msModel_GetMaterialAt(model, i);
        for (auto get : {msMaterial_GetDiffuseTexture, msMaterial_GetAlphaTexture}) {
            char path[MS_MAX_PATH] = {};
            get(material, path, sizeof path);
            std::error_code ec;
            if (path[0] != 0 && !std::filesystem::is_regular_file(path, ec) &&
                std::find(paths.begin(), paths.end(), Printable(path)) == paths.end()) {
                paths.push_back(Printable(path));
            }
        }
    }
    return paths;
}

struct Made {
    int meshes = 0, triangles = 0, markers = 0;
};

}  // namespace

int RunImport(const std::vector<std::string>& args, CliContext& ctx) {
    const Result<GivenArgs> parsed = ParseOptions(args, {kImportRows}, 1);
    if (!parsed) {
        return UsageError(ctx, "import", parsed.Reason());
    }
    const GivenArgs& given = *parsed;
    ImportRequest request;
    if (!given.operands.empty()) {
        request.input = given.operands[0];
    }
    for (const GivenOption& option : given.options) {
        const std::string& text = option.value;
        switch (option.meaning) {
            case kOut:
                request.output = text;
                break;
            case kKeepModel:
                request.keepModel = text;
                break;
            case kFilter:
                request.filter = text;
                request.filterGiven = true;
                break;
            case kGameDir:
                request.gameDir = text;
                break;
            case kLevel:
                ParseLevel(text, request.lod);
                break;
            case kTextures:
                request.textures = text;
                break;
            case kMaterials:
                request.materials = text;
                break;
            case kSearchTop:
                request.searchTop = text;
                break;
            case kMeshLibrary:
                request.meshLibrary = text;
                break;
            case kNoHardpoints:
                request.noHardpoints = true;
                break;
            case kAfterModel:
                request.afterModel = true;
                break;
            case kNoClear:
                request.noClear = true;
                break;
            case kMySettings:
                request.mySettings = true;
                break;
            case kNoExtract:
                request.noExtract = true;
                break;
            case kNoSearch:
                request.noSearch = true;
                break;
        }
    }
    if (request.input.empty()) {
        return UsageError(ctx, "import", "missing MODEL.cmp");
    }
    if (request.output.empty()) {
        return UsageError(ctx, "import", "missing -o OUT.ms3d");
    }
    // Refused before anything is imported, so no texture is written for a
    // model that could not be.
    if (CheckWriteTarget(request.output) == FileOutcome::NotRegularFile) {
        return Failure(ctx, NotRegularFileMessage(request.output));
    }

    ModelHandle handle;
    if (!request.keepModel.empty()) {
        if (auto read = ReadMs3dModel(request.keepModel, handle.model); !read) {
            return Failure(ctx, read.Reason());
        }
    }
    HeadlessHost host(ctx.err);
    std::optional<IniSettingsStore> mine;
    if (request.mySettings) {
        mine.emplace(DefaultSettingsPath("Ommel"), host.files);
        host.services.settings = &*mine;
    } else {
        // Nothing is imported or opened before the options apply, and no
        // folder is searched unless asked. Textures go beside the output.
        WriteOption(host.settings, kAutoLoadKey, false);
        WriteOption(host.settings, kAutoOpenKey, false);
        WriteOption(host.settings, kAutoSearchKey, false);
        WriteOption(host.settings, kTexturePathKey,
                    JoinPath(FolderOf(AbsolutePathOf(request.output)), "textures"));
    }
    SettingsStore& store = *host.services.settings;
    ImporterOptions current;
    ReadOptions(store, current);
    QueueRun(request, current, host.ui);

    // The meshes the importer makes are numbered from here on, so they are
    // told from the person's even when Clear model emptied the model and
    // made as many anew.
    const unsigned firstMade = kxModel_NextMeshSerial(handle.model);

    // The climbs of the search go no higher than asked, and by default no
    // higher than the model's own folder.
    const std::string searchTop = request.searchTop.empty()
                                      ? FolderOf(AbsolutePathOf(request.input))
                                      : AbsolutePathOf(request.searchTop);
    const int materialsBefore = msModel_GetMaterialCount(handle.model);
    std::vector<std::string> notLoaded;
    host.ui.windowEnded = [&notLoaded](const Window& window) {
        if (window.HasControl(CCMPDialog::kTextures)) {
            notLoaded = NotLoaded(window.Control(CCMPDialog::kTextures).items);
        }
    };
    // No --game-dir: the importer takes the environment's game folder.
    host.services.places.gameFolder = request.gameDir;
    host.services.places.searchTop = searchTop;
    // Only the library asked for: none is taken from the environment.
    host.services.places.meshLibrary =
        request.meshLibrary.empty() ? std::string() : AbsolutePathOf(request.meshLibrary);
    const Result<int> ran = RunPlugInLibrary(ctx.programDir, "Ommel", host, handle.model);

    Made made;
    for (int i = 0; i < msModel_GetMeshCount(handle.model); ++i) {
        msMesh* mesh = msModel_GetMeshAt(handle.model, i);
        if (kxMesh_GetSerial(mesh) < firstMade) {
            continue;  // the person's
        }
        char name[4] = {};
        msMesh_GetName(mesh, name, sizeof name);
        if (std::string_view(name) == "Hp|") {
            ++made.markers;
        } else {
            ++made.meshes;
            made.triangles += msMesh_GetTriangleCount(mesh);
        }
    }
    if (!ran) {
        return Failure(ctx, ran.Reason());
    }
    const bool nothing = made.meshes + made.markers == 0;
    // An option refused by a dialog that holds no model (the file itself was
    // refused, and said so) is not a usage error.
    if (host.ui.refused && !(nothing && !host.ui.messages.empty())) {
        return UsageError(ctx, "import",
                          RefusedOptionMessage(host.ui.refused->action, host.ui.refused->outcome));
    }
    if (nothing) {
        return Failure(ctx, "nothing was imported from " + request.input);
    }
    // The dialog said why, naming the file; the model without the library's
    // materials is not written.
    const std::string chosen = AbsolutePathOf(request.materials) + " ";
    const bool chosenFailed =
        !request.materials.empty() &&
        std::any_of(host.ui.messages.begin(), host.ui.messages.end(), [&](const auto& message) {
            return message.caption == kFileErrorCaption && message.text.rfind(chosen, 0) == 0;
        });
    if (chosenFailed) {
        return Failure(ctx, "the material library " + request.materials +
                                " did not load; nothing was written to " + request.output);
    }
    if (Status written = WriteMs3dModel(request.output, handle.model); !written) {
        return Failure(ctx, written.Reason());
    }
    ctx.out << request.output << ": " << made.meshes << " meshes, " << made.triangles
            << " triangles, " << made.markers << " hardpoint markers imported from "
            << request.input << '\n';
    if (const std::string materials = MaterialsLine(handle.model, materialsBefore);
        !materials.empty()) {
        ctx.out << request.output << ": " << materials << '\n';
    }
    if (!notLoaded.empty()) {
        ctx.out << request.output << ": materials not loaded: " << Joined(notLoaded) << '\n';
    }
    if (const auto paths = NotWritten(handle.model, materialsBefore); !paths.empty()) {
        ctx.out << request.output << ": textures not written: " << Joined(paths) << '\n';
    }
    return 0;
}

}  // namespace kx
