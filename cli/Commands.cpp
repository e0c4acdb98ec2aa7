#include <string>

#include "cli/CliCommands.h"
#include "cli/ExportSettingsOptions.h"

namespace kx {

std::span<const Command> Commands() {
    static const std::string settingsHelp =
        std::string(
            "Writes an exporter settings file (.ces) by driving the exporter's settings\n"
            "window: \"Load Settings\" with IN.ces first when given, then the options,\n"
            "then \"Save Settings\" to OUT.ces. The window's messages print as\n"
            "'Caption: text'; exit 1 when it wrote nothing.\n") +
        kExportSettingsOptionsHelp;
    static const std::string exportHelp =
        std::string(
            "Exports a model file (.ms3d) as a game model (.cmp / .3db) by driving the model\n"
            "exporter's settings window as a person would: \"Load Settings\" with --settings\n"
            "first, \"New\" (or \"Update\" with --update) answered with OUT, the options in the\n"
            "order given, \"Save Settings\" with --save-settings, then \"Continue\" in both\n"
            "windows. Messages print as 'Caption: text'. Exit 0 when OUT was written by this\n"
            "run, 1 when it was not, 2 for a usage error or an option whose control is\n"
            "disabled.\n"
            "  --update               add to (or re-export) the existing OUT\n"
            "  --settings FILE.ces    load these settings first\n"
            "  --save-settings FILE.ces  save the settings before exporting\n") +
        kExportSettingsOptionsHelp;
    static const Command commands[] = {
        {"hash", "NAME...",
         "Prints the name id of each NAME: 0x, eight hex digits, two spaces, the name.\n", RunHash},
        {"tree", "FILE",
         "Lists the nodes of a container file in pre-order, two spaces per level;\n"
         "a leaf shows its stored byte count as [N].\n",
         RunTree},
        {"cat", "FILE PATH",
         "Writes the raw bytes of one leaf to stdout. PATH names the nodes below the\n"
         "root joined by '/', for example VMeshLibrary/hull.lod0.vms/VMeshData.\n",
         RunCat},
        {"plugins", "",
         "Loads the three plug-in libraries beside this program as the modeller does\n"
         "and prints, for each, its file name, type and title separated by tabs.\n",
         RunPlugins},
        {"vmesh", "FILE [--vertices]",
         "Decodes every VMeshData and VMeshRef leaf of a container file, in node order:\n"
         "counts and mesh records of each block, the ranges and bounds of each reference.\n"
         "--vertices also lists each block's triangles and vertices. A leaf that cannot\n"
         "be decoded is named on stderr and the exit code is 1.\n",
         RunVMesh},
        {"settings", "-o OUT.ces [--settings IN.ces] [OPTIONS]", settingsHelp.c_str(), RunSettings},
        {"export", "MODEL.ms3d -o OUT [--update] [--settings IN.ces] [OPTIONS]", exportHelp.c_str(),
         RunExport},
        {"info", "FILE.ms3d",
         "Describes a model file: a line per group (name, triangles, vertices, material\n"
         "index, -1 for none), a line per material (name, texture, alpha map), and the\n"
         "number of joints, fields separated by tabs.\n",
         RunInfo},
#ifdef KALTRIX_RENDER
        {"render",
         "FILE -o OUT.png [--view VIEW] [--size WxH] [--lod N] [--no-hardpoints] "
         "[--hulls FILE.sur]",
         RenderHelp(), RunRender},
#endif
    };
    return commands;
}

}  // namespace kx
