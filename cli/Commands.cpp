#include <array>

#include "cli/CliCommands.h"

namespace kx {

std::span<const Command> Commands() {
    static const std::array<Command, 5> commands{{
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
        {"info", "FILE.ms3d",
         "Describes a model file: a line per group (name, triangles, vertices, material\n"
         "index, -1 for none), a line per material (name, texture, alpha map), and the\n"
         "number of joints, fields separated by tabs.\n",
         RunInfo},
    }};
    return commands;
}

}  // namespace kx
