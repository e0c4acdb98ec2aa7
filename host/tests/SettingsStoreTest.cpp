#include "host/FileIo.h"
#include "host/SettingsStore.h"
#include "host/headless/IniSettingsStore.h"
#include "host/headless/RecordingFileService.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "testsupport/TempFiles.h"

namespace kx {
namespace {

// A folder of its own, with paths inside it spelled `folder / "name"`.
class TempFolder : public test::TempDir {
  public:
    TempFolder() : TempDir("settings") {}
    std::string operator/(const std::string& name) const { return File(name); }
};

std::string FileText(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(path, bytes));
    return std::string(bytes.begin(), bytes.end());
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SettingsStore, KeepsNumbersAndStringsAsTheirOwnKinds) {
    MemorySettingsStore store;
    EXPECT_EQ(store.GetInt("Model", "AutoLoad", 1), 1);
    EXPECT_TRUE(store.SetInt("Model", "AutoLoad", 0));
    EXPECT_TRUE(store.SetString("Hardpoints", "Filter", "Hp"));
    EXPECT_EQ(store.GetInt("model", "autoload", 1), 0);  // names match without case
    EXPECT_EQ(store.GetString("Hardpoints", "Filter", "x"), "Hp");
    // A value of the other kind reads as missing, as a registry value would.
    EXPECT_EQ(store.GetString("Model", "AutoLoad", "none"), "none");
    EXPECT_EQ(store.GetInt("Hardpoints", "Filter", 7), 7);
    // A string that looks like a number stays a string.
    EXPECT_TRUE(store.SetString("Hardpoints", "Filter", "12"));
    EXPECT_EQ(store.GetInt("Hardpoints", "Filter", 7), 7);
    EXPECT_EQ(store.GetString("Hardpoints", "Filter", ""), "12");
    // Names the file form could not hold are refused.
    EXPECT_FALSE(store.SetInt("Bad]", "Key", 1));
    EXPECT_FALSE(store.SetInt("Model", "A=B", 1));
    EXPECT_FALSE(store.SetInt("Model", "", 1));
    EXPECT_FALSE(store.SetString("Model", "Line\nBreak", "x"));
}

TEST(SettingsStore, IniFileRoundTrip) {
    TempFolder folder;
    const std::string path = folder / "nested/Ommel.ini";
    const std::string awkward = "C:\\Games\\\"Kaltrix\"\\\tTextures\\ \x7F end ";
    {
        RecordingFileService files;
        IniSettingsStore store(path, files);
        EXPECT_TRUE(store.SetInt("Model", "AutoLoad", 1));
        EXPECT_TRUE(store.SetInt("Model", "Clear", -42));
        EXPECT_TRUE(store.SetString("Directories", "TexturePath", awkward));
        EXPECT_TRUE(store.SetString("Hardpoints", "Filter", ""));
        EXPECT_TRUE(store.SetInt("Model", "AutoLoad", 0));
        // Every change is written whole, through the file service.
        EXPECT_EQ(files.Written(), std::vector<std::string>(5, path));
    }
    EXPECT_EQ(FileText(path),
              "[Model]\nAutoLoad=0\nClear=-42\n\n"
              "[Directories]\nTexturePath=\"C:\\\\Games\\\\\\\"Kaltrix\\\"\\\\\\x09Textures\\\\ "
              "\\x7F end \"\n\n"
              "[Hardpoints]\nFilter=\"\"\n");
    IniSettingsStore back(path, DiskFiles());
    EXPECT_EQ(back.GetInt("Model", "AutoLoad", 1), 0);
    EXPECT_EQ(back.GetInt("Model", "Clear", 0), -42);
    EXPECT_EQ(back.GetString("Directories", "TexturePath", ""), awkward);
    EXPECT_EQ(back.GetString("Hardpoints", "Filter", "Hp"), "");
    EXPECT_EQ(back.GetInt("Options", "ToolTip", 1), 1);
    // Nothing left beside the file but the file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "nested"),
                            std::filesystem::directory_iterator{}),
              1);
}

TEST(SettingsStore, ReadsHandEditedFilesAndKeepsOtherWritersChanges) {
    TempFolder folder;
    const std::string path = folder / "Ommel.ini";
    const std::string text =
        "; edited by hand\n"
        "stray=1\n"
        "[ Model ]\r\n"
        "AutoLoad = 0 \n"
        "Clear=yes please\n"
        "broken line\n"
        "Open=\"not closed\n"
        "[Model]\n"
        "AutoLoad=1\n";
    ASSERT_TRUE(WriteWholeFile(
        path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())));
    IniSettingsStore store(path, DiskFiles());
    EXPECT_EQ(store.GetInt("Model", "AutoLoad", 5), 1);  // the later line stands
    EXPECT_EQ(store.GetString("Model", "Clear", ""), "yes please");
    EXPECT_EQ(store.GetString("Model", "Open", "none"), "none");
    EXPECT_EQ(store.GetInt("", "stray", 5), 5);

    // Another process adds a value; a change here keeps it.
    IniSettingsStore other(path, DiskFiles());
    EXPECT_TRUE(other.SetString("Options", "LastUsedDir", "/data"));
    EXPECT_TRUE(store.SetInt("Model", "Clear", 0));
    IniSettingsStore back(path, DiskFiles());
    EXPECT_EQ(back.GetString("Options", "LastUsedDir", ""), "/data");
    EXPECT_EQ(back.GetInt("Model", "Clear", 1), 0);
}

TEST(SettingsStore, AFolderInTheFilesPlaceIsLeftAlone) {
    TempFolder folder;
    const std::string path = folder / "Ommel.ini";
    std::filesystem::create_directories(path);
    IniSettingsStore store(path, DiskFiles());
    EXPECT_EQ(store.GetInt("Model", "AutoLoad", 1), 1);
    EXPECT_FALSE(store.SetInt("Model", "AutoLoad", 0));
    EXPECT_TRUE(std::filesystem::is_directory(path));
    // The value still lasts for this run.
    EXPECT_EQ(store.GetInt("Model", "AutoLoad", 1), 0);
}

TEST(SettingsStore, DefaultPathFollowsTheConfigurationFolder) {
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(DefaultSettingsPath("Ommel"), "/cfg/Dorvish/Ommel.ini");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", "relative/cfg");
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(DefaultSettingsPath("Ommel"), "/home/someone/.config/Dorvish/Ommel.ini");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", nullptr);
        ScopedEnv home("HOME", nullptr);
        EXPECT_EQ(DefaultSettingsPath("Ommel"), "");
        // With no file to keep them in, values last for the run only.
        IniSettingsStore store(DefaultSettingsPath("Ommel"), DiskFiles());
        EXPECT_FALSE(store.SetInt("Model", "Clear", 0));
        EXPECT_EQ(store.GetInt("Model", "Clear", 1), 0);
    }
}

}  // namespace
}  // namespace kx
