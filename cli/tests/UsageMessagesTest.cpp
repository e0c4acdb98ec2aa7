// The usage errors of the commands that drive the plug-ins' windows, word
// for word: scripts and people read them, and each command parses its
// options from one table, where a row in the wrong place would change them.

#include <gtest/gtest.h>

#include "cli/tests/CliRun.h"

namespace kx {
namespace {

struct Case {
    std::vector<std::string> args;
    std::string message;
};

void ExpectUsageErrors(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const Run r = Kaltrix(c.args);
        EXPECT_EQ(r.rc, 2) << c.message;
        EXPECT_EQ(r.err, "kaltrix: " + c.message + " (see 'kaltrix " + c.args[0] + " --help')\n");
        EXPECT_EQ(r.out, "");
    }
}

const std::string kNineteen = "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1";

TEST(UsageMessages, Settings) {
    ExpectUsageErrors({
        {{"settings"}, "missing -o OUT.ces"},
        {{"settings", "-o"}, "-o needs a file"},
        {{"settings", "-o", "x.ces", "--settings"}, "--settings needs a file"},
        {{"settings", "-o", "x.ces", "--lod"}, "--lod needs a value"},
        {{"settings", "-o", "x.ces", "--lod", "4"}, "--lod takes 0, 1, 2 or 3, not '4'"},
        {{"settings", "-o", "x.ces", "--lod", "01"}, "--lod takes 0, 1, 2 or 3, not '01'"},
        {{"settings", "--orientation", "left"},
         "--orientation takes upside-down or back-to-front, not 'left'"},
        {{"settings", "--scale", "0x10"}, "--scale takes a decimal number, not '0x10'"},
        {{"settings", "--type", "boat"}, "--type takes ship, cockpit or weapon, not 'boat'"},
        {{"settings", "--groups", "1,-2"},
         "--groups takes whole numbers separated by commas, not '1,-2'"},
        {{"settings", "--groups", kNineteen},
         "--groups takes at most 18 quantities, not '" + kNineteen + "'"},
        {{"settings", "--fov", "1,2,3"},
         "--fov takes four decimal numbers FOVX,FOVY,ZNEAR,ZFAR, not '1,2,3'"},
        // Without operands, anything else is an unexpected argument.
        {{"settings", "-o", "x.ces", "--bogus"}, "unexpected argument '--bogus'"},
        {{"settings", "model.ms3d"}, "unexpected argument 'model.ms3d'"},
        // The first fault in the order given is the one named.
        {{"settings", "--bogus", "--lod", "9"}, "unexpected argument '--bogus'"},
        {{"settings", "--lod", "9", "--bogus"}, "--lod takes 0, 1, 2 or 3, not '9'"},
        // A value is taken as given, even when it looks like an option.
        {{"settings", "--scale", "-o"}, "--scale takes a decimal number, not '-o'"},
    });
}

TEST(UsageMessages, Export) {
    ExpectUsageErrors({
        {{"export"}, "missing MODEL.ms3d"},
        {{"export", "m.ms3d"}, "missing -o OUT"},
        {{"export", "-o", "out.cmp"}, "missing MODEL.ms3d"},
        {{"export", "m.ms3d", "-o"}, "-o needs a file"},
        {{"export", "m.ms3d", "--settings"}, "--settings needs a file"},
        {{"export", "m.ms3d", "--save-settings"}, "--save-settings needs a file"},
        {{"export", "m.ms3d", "--lod"}, "--lod needs a value"},
        {{"export", "m.ms3d", "--lod", "7"}, "--lod takes 0, 1, 2 or 3, not '7'"},
        {{"export", "m.ms3d", "--fov", "1,2,3,x"},
         "--fov takes four decimal numbers FOVX,FOVY,ZNEAR,ZFAR, not '1,2,3,x'"},
        {{"export", "m.ms3d", "--mass", "3"}, "unknown option '--mass'"},
        {{"export", "a.ms3d", "b.ms3d"}, "unexpected argument 'b.ms3d'"},
        {{"export", "--bogus", "a.ms3d", "b.ms3d"}, "unknown option '--bogus'"},
    });
}

TEST(UsageMessages, Sur) {
    ExpectUsageErrors({
        {{"sur"}, "missing MODEL.ms3d"},
        {{"sur", "m.ms3d"}, "missing -o OUT.sur"},
        {{"sur", "m.ms3d", "-o"}, "-o needs a value"},
        {{"sur", "m.ms3d", "--settings"}, "--settings needs a value"},
        {{"sur", "m.ms3d", "--mass"}, "--mass needs a value"},
        {{"sur", "m.ms3d", "--mass", "x"}, "--mass takes a whole number, not 'x'"},
        {{"sur", "m.ms3d", "--mass", "1234567890"},
         "--mass takes a whole number, not '1234567890'"},
        {{"sur", "m.ms3d", "--orientation"}, "--orientation needs a value"},
        {{"sur", "m.ms3d", "--scale", "big"}, "--scale takes a decimal number, not 'big'"},
        {{"sur", "m.ms3d", "--groups", "a"},
         "--groups takes whole numbers separated by commas, not 'a'"},
        // The model exporter's own options are not the collision exporter's.
        {{"sur", "m.ms3d", "--lod", "1"}, "unknown option '--lod'"},
        {{"sur", "m.ms3d", "--type", "ship"}, "unknown option '--type'"},
        {{"sur", "m.ms3d", "--fov", "1,2,3,4"}, "unknown option '--fov'"},
        {{"sur", "m.ms3d", "--update"}, "unknown option '--update'"},
        {{"sur", "a.ms3d", "b.ms3d"}, "unexpected argument 'b.ms3d'"},
    });
}

TEST(UsageMessages, Import) {
    ExpectUsageErrors({
        {{"import"}, "missing MODEL.cmp"},
        {{"import", "m.cmp"}, "missing -o OUT.ms3d"},
        {{"import", "m.cmp", "-o"}, "-o needs a value"},
        {{"import", "m.cmp", "--filter"}, "--filter needs a value"},
        {{"import", "m.cmp", "--game-dir"}, "--game-dir needs a value"},
        {{"import", "m.cmp", "--lod"}, "--lod needs a value"},
        {{"import", "m.cmp", "--lod", "-1"}, "--lod needs a level number, 0 or more"},
        {{"import", "m.cmp", "--lod", "1x"}, "--lod needs a level number, 0 or more"},
        {{"import", "m.cmp", "--textures", ""}, "--textures needs a non-empty value"},
        {{"import", "m.cmp", "--materials", ""}, "--materials needs a non-empty value"},
        {{"import", "m.cmp", "--search-top", ""}, "--search-top needs a non-empty value"},
        {{"import", "m.cmp", "--mesh-library", ""}, "--mesh-library needs a non-empty value"},
        {{"import", "m.cmp", "--colour"}, "unknown option '--colour'"},
        {{"import", "m.cmp", "--scale", "2"}, "unknown option '--scale'"},
        {{"import", "a.cmp", "b.cmp"}, "unexpected argument 'b.cmp'"},
    });
}

}  // namespace
}  // namespace kx
