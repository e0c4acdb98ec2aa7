#include <gtest/gtest.h>

#include <filesystem>

#include "cli/tests/CliRun.h"
#include "exportsettings/SettingsFile.h"
#include "host/FileIo.h"

namespace kx {
namespace {

std::vector<uint8_t> Bytes(const std::string& path) {
    std::vector<uint8_t> b;
    ReadWholeFile(path, b);
    return b;
}

TEST(SettingsCommand, AppliesOptionsInOrderAsTheWindowWould) {
    TempFile out("settings_weapon.ces");
    // Weapon sets level 0, so --lod must come after it; 150 is clamped to 100.
    auto r = Kaltrix({"settings", "-o", out.path(), "--type", "weapon", "--lod", "2",
                      "--orientation", "back-to-front", "--scale", "150", "--groups", "4,1,2"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ExportSettings expected;
    expected.orientation = 1;
    expected.levelOfDetail = 2;
    expected.groupCount = 3;
    expected.quantities = {4, 1, 2};
    expected.modelType = 3;
    expected.floatScale = 100.0f;
    EXPECT_EQ(Bytes(out.path()), EncodeSettingsFile(expected));
}

TEST(SettingsCommand, StartsFromALoadedFile) {
    TempFile in("settings_in.ces"), out("settings_out.ces");
    std::vector<uint8_t> old(88, 0);
    old[0] = 40;  // integer scale of the old layout
    old[12] = 1;
    ASSERT_TRUE(WriteWholeFile(in.path(), old));
    auto r = Kaltrix({"settings", "--type", "cockpit", "--fov", "0.5,0.4,0.0001,20", "--settings",
                      in.path(), "-o", out.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    ExportSettings expected;
    expected.modelType = 2;
    expected.fovX = 0.5f;
    expected.fovY = 0.4f;
    expected.zNear = 0.0005f;     // clamped
    expected.zFar = 10.0f;        // clamped
    expected.floatScale = 40.0f;  // from the old integer scale
    EXPECT_EQ(Bytes(out.path()), EncodeSettingsFile(expected));
}

TEST(SettingsCommand, NumbersMayHaveAnExponent) {
    TempFile out("settings_exponent.ces");
    auto r = Kaltrix({"settings", "-o", out.path(), "--scale", "2.5E1", "--type", "cockpit",
                      "--fov", ".5,5.,1e-1,-2e+1"});
    ASSERT_EQ(r.rc, 0) << r.err;
    ExportSettings expected;
    expected.modelType = 2;
    expected.fovX = 0.5f;
    expected.fovY = 5.0f;
    expected.zNear = 0.1f;
    expected.zFar = 0.0005f;  // clamped
    expected.floatScale = 25.0f;
    EXPECT_EQ(Bytes(out.path()), EncodeSettingsFile(expected));
}

TEST(SettingsCommand, RefusesAnOptionWhoseControlIsDisabled) {
    TempFile out("settings_refused.ces");
    for (std::vector<std::string> options :
         {std::vector<std::string>{"--type", "cockpit", "--lod", "1"},
          {"--type", "cockpit", "--groups", "1,2"},
          {"--fov", "1,1,1,1"}}) {
        std::vector<std::string> args{"settings", "-o", out.path()};
        args.insert(args.end(), options.begin(), options.end());
        auto r = Kaltrix(args);
        EXPECT_EQ(r.rc, 2);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(options[options.size() - 2] + " " + options.back() + " refused"),
                  std::string::npos)
            << r.err;
        EXPECT_FALSE(std::filesystem::exists(out.path()));
    }
}

TEST(SettingsCommand, ExitsOneWhenTheWindowWritesNothing) {
    TempFile out("settings_nothing.ces");
    auto r = Kaltrix({"settings", "-o", out.path(), "--groups", "4,0,2"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "Warning: Quantity missing from group 2\n");
    EXPECT_FALSE(std::filesystem::exists(out.path()));

    r = Kaltrix({"settings", "-o", out.path(), "--settings", "/nonexistent/in.ces"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "File Open Error: Settings file could not be opened\n");
    EXPECT_FALSE(std::filesystem::exists(out.path()));
}

TEST(SettingsCommand, MalformedOptionsAreUsageErrors) {
    for (std::vector<std::string> args : {std::vector<std::string>{"settings"},
                                          {"settings", "-o"},
                                          {"settings", "-o", "x.ces", "--lod", "4"},
                                          {"settings", "-o", "x.ces", "--scale", "big"},
                                          {"settings", "-o", "x.ces", "--scale", "inf"},
                                          {"settings", "-o", "x.ces", "--scale", "nan"},
                                          {"settings", "-o", "x.ces", "--scale", "0x10"},
                                          {"settings", "-o", "x.ces", "--scale", "1e"},
                                          {"settings", "-o", "x.ces", "--fov", "1,1,-inf,1"},
                                          {"settings", "-o", "x.ces", "--groups", "1,-2"},
                                          {"settings", "-o", "x.ces", "--fov", "1,2,3"},
                                          {"settings", "-o", "x.ces", "--type", "boat"},
                                          {"settings", "-o", "x.ces", "--bogus"}}) {
        auto r = Kaltrix(args);
        EXPECT_EQ(r.rc, 2) << args.back();
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists("x.ces"));
    auto help = Kaltrix({"settings", "--help"});
    EXPECT_NE(help.out.find("--orientation upside-down|back-to-front"), std::string::npos);
}

}  // namespace
}  // namespace kx
