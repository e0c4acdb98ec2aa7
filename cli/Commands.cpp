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
    static const std::string surHelp = std::string(
        "Exports a model file (.ms3d) as a collision surface (.sur) by driving the\n"
        "collision exporter's options window as a person would: \"Load CMP Settings\"\n"
        "with --settings first, \"Browse\" answered with OUT.sur, the options in the\n"
        "order given, then OK. Messages print as 'Caption: text'. Exit 0 when OUT.sur\n"
        "was written by this run, 1 when it was not, 2 for a usage error.\n"
        "  --settings FILE.ces    load a model exporter settings file first\n"
        "  --orientation upside-down|back-to-front\n"
        "  --scale X              scale divisor, 0.000001 to 100\n"
        "  --groups Q1,Q2,...     the meshes of each part, in order (1 to 18 groups)\n"
        "  --shield | --wrap      collision mesh: shield bubble (default) or shrink wrapped\n"
        "  --mass N               the ship's mass, from its archetype\n"
        "  --no-reduction         keep the part meshes unreduced\n"
        "  --closed-hulls         make each part hull the convex hull of its mesh, so that\n"
        "                         every hull is closed (without it, groups that do not\n"
        "                         close are named in a warning)\n");
    static const char* const importHelp =
        "Imports a game model (.cmp / .3db) into a model file (.ms3d) by driving the model\n"
        "importer's main dialog as a person would: from fresh settings with Auto load and\n"
        "Auto open off, the options as its menu commands, \"Model\" answered with MODEL,\n"
        "the level picked in its combo box, then \"Import\". Messages print as\n"
        "'Caption: text'. Exit 0 when something was imported and OUT written, 1 when\n"
        "nothing was (or FILE.mat did not load: OUT is then not written), 2 for a usage\n"
        "error or an option the dialog refuses.\n"
        "  --lod N                the N-th entry of the level list, counting from 0\n"
        "  --no-hardpoints        leave the hardpoints out\n"
        "  --hardpoints-after-model  all hardpoint markers after all meshes\n"
        "  --filter TEXT          only hardpoints whose names hold TEXT (case counts;\n"
        "                         the default is Hp, the empty text takes all)\n"
        "  --game-dir DIR         the game's folder (else $KALTRIX_GAME_DIR, else the\n"
        "                         settings' Directories/GamePath)\n"
        "  --keep-model IN.ms3d   import into this model instead of an empty one\n"
        "  --no-clear             keep that model's meshes (Clear model empties it)\n"
        "  --use-my-settings      start from your stored importer options, which the\n"
        "                         options above then change, as the dialog does\n"
        "  --textures DIR         write the textures here (default: OUT's folder's\n"
        "                         textures folder)\n"
        "  --materials FILE.mat   load this material library (the Material button)\n"
        "  --mesh-library FILE.vms  read the meshes of a model that keeps them in a\n"
        "                         separate mesh library file, as if in its own\n"
        "  --no-extract           Extract textures off: the model's own material library\n"
        "                         and the search are not read (FILE.mat still is)\n"
        "  --search-top DIR       look for material libraries beside the model, below\n"
        "                         it and in each folder above it up to DIR (and in the\n"
        "                         game's data folder when it lies inside DIR)\n"
        "  --no-search            do not look for material libraries in folders (the\n"
        "                         default, unless your settings or --search-top say so)\n"
        "Materials come from the model file, then from the search (which starts as\n"
        "soon as the model is read) and FILE.mat; the first file read that defines a\n"
        "material wins, so when a search could find other definitions than FILE.mat,\n"
        "add --no-search for a result that never depends on which came first. Every\n"
        "search has ended before Import is pressed. The summary names the materials\n"
        "no file read defined (by id) and the textures that name no file.\n"
        "Names: a texture file in the textures folder is named by the name its material\n"
        "stores, up to its first .tga or .dds (any case), ending in the extension of the\n"
        "data (.dds for a DDS image, all in lower case; .tga for a TGA image), so a date\n"
        "or a second name some tools append is left off; a stored name without either\n"
        "is used whole (lower case for a DDS image). A file already there is used as it\n"
        "is, except that a shortened name whose file holds another image is numbered:\n"
        "NAME (2).dds. A material keeps its whole name when it fits the modeller's 31\n"
        "characters; a longer one is cut before its first dot, with a warning.\n";
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
        {"sur",
         "MODEL.ms3d -o OUT.sur [--settings FILE.ces] [--orientation O] [--scale X] "
         "[--groups Q1,...] [--shield|--wrap] [--mass N] [--no-reduction] [--closed-hulls]",
         surHelp.c_str(), RunSur},
        {"import", "MODEL.cmp -o OUT.ms3d [OPTIONS]", importHelp, RunImport},
        {"info", "FILE.ms3d|FILE.cmp|FILE.3db|FILE.sur [--mesh-library FILE.vms]",
         "Describes a model file: a line per group (name, triangles, vertices, material\n"
         "index, -1 for none), a line per material (name, texture, alpha map), and the\n"
         "number of joints, fields separated by tabs.\n"
         "Describes a game model as the importer reads it: per level of detail its mesh,\n"
         "triangle and vertex counts, its parts (name, id, parent, meshes) and the\n"
         "material ids its meshes use; then its hardpoints (part, kind, name), and a\n"
         "note per part kept without meshes or left out. --mesh-library FILE.vms reads\n"
         "the meshes of a model that keeps them in a separate mesh library file.\n"
         "Describes a collision surface file after checking its structure: a line per\n"
         "part (id, chunk count, box, centre, radius, inertia), then its hulls (type,\n"
         "owner, triangles), its vertex and node counts and its hardpoint ids. A damaged\n"
         "file prints its first fault on stderr and exits 1.\n",
         RunInfo},
#ifdef KALTRIX_RENDER
        {"render",
         "FILE -o OUT.png [--view VIEW] [--size WxH] [--lod N] [--no-hardpoints] "
         "[--hulls FILE.sur] [--mesh-library FILE.vms]",
         RenderHelp(), RunRender},
#endif
    };
    return commands;
}

}  // namespace kx
