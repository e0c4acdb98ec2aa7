#include "exportsettings/SettingsFile.h"

#include <gtest/gtest.h>

#include "host/FileIo.h"
#include "host/FileService.h"
#include "testsupport/LittleEndian.h"
#include "testsupport/TempFiles.h"

namespace kx {
namespace {

using test::U32At;

ExportSettings Cockpit() {
    ExportSettings s;
    s.orientation = StoredValue(Orientation::BackToFront);
    s.levelOfDetail = 2;
    s.groupCount = 3;
    s.quantities[0] = 4;
    s.quantities[2] = 2;
    s.modelType = StoredValue(ModelType::Cockpit);
    s.fovX = 0.645772f;
    s.fovY = 0.514412f;
    s.zNear = 0.05f;
    s.zFar = 5.0f;
    return s;
}

TEST(SettingsFile, WritesTheRecordFieldByField) {
    std::vector<uint8_t> b = EncodeSettingsFile(Cockpit());
    ASSERT_EQ(b.size(), 192u);
    EXPECT_EQ(U32At(b, 0), 0xFFFFFFFFu);  // integer scale -1
    EXPECT_EQ(U32At(b, 4), 1u);
    EXPECT_EQ(U32At(b, 8), 2u);
    EXPECT_EQ(U32At(b, 12), 3u);
    EXPECT_EQ(U32At(b, 16), 4u);
    EXPECT_EQ(U32At(b, 20), 0u);
    EXPECT_EQ(U32At(b, 24), 2u);
    EXPECT_EQ(U32At(b, 84), 0u);
    EXPECT_EQ(U32At(b, 88), 2u);  // model type, then two reserved zero bytes
    EXPECT_EQ(U32At(b, 92), 0x3F255150u);
    EXPECT_EQ(U32At(b, 96), 0x3F03B081u);
    EXPECT_EQ(U32At(b, 100), 0x3D4CCCCDu);
    EXPECT_EQ(U32At(b, 104), 0x40A00000u);
    EXPECT_EQ(U32At(b, 108), 0x42B80000u);  // 92.0
    for (size_t i = 112; i < 192; ++i) {
        ASSERT_EQ(b[i], 0) << i;
    }
}

TEST(SettingsFile, ReadsBothLayoutsAndOnlyTheFirstRecord) {
    std::vector<uint8_t> b = EncodeSettingsFile(Cockpit());
    SettingsFileContent full = DecodeSettingsFile(b);
    EXPECT_FALSE(full.oldLayout);
    EXPECT_EQ(full.settings, Cockpit());

    b.resize(300, 0xAB);  // trailing bytes are not part of the record
    EXPECT_EQ(DecodeSettingsFile(b).settings, Cockpit());

    b.resize(88);
    SettingsFileContent old = DecodeSettingsFile(b);
    EXPECT_TRUE(old.oldLayout);
    EXPECT_EQ(old.settings.groupCount, 3);
    EXPECT_EQ(old.settings.quantities[2], 2);
    EXPECT_EQ(old.settings.modelType, 0);  // missing bytes read as zero
    EXPECT_EQ(old.settings.floatScale, 0.0f);

    b = EncodeSettingsFile(Cockpit());
    b.resize(89);
    EXPECT_FALSE(DecodeSettingsFile(b).oldLayout);
    EXPECT_EQ(DecodeSettingsFile(b).settings.modelType, 2);

    SettingsFileContent empty = DecodeSettingsFile({});
    EXPECT_TRUE(empty.oldLayout);
    EXPECT_EQ(empty.settings.integerScale, 0);
}

// The collision exporter's view: at most 148 bytes, by word index.
TEST(SettingsFile, WordsAreTheFieldsInFileOrder) {
    ExportSettings cockpit = Cockpit();
    cockpit.floatScale = 12.5f;
    std::vector<uint8_t> b = EncodeSettingsFile(cockpit);
    SettingsWords words = DecodeSettingsWords(b);
    EXPECT_EQ(words[settings_word::kOrientation], 1u);
    EXPECT_EQ(words[settings_word::kQuantity0 + 2], 2u);
    EXPECT_EQ(words[settings_word::kModelType], 2u);
    EXPECT_EQ(words[settings_word::kZFar], 0x40A00000u);
    EXPECT_EQ(words[settings_word::kFloatScale], 0x41480000u);
    EXPECT_EQ(SettingsToWords(cockpit), words);

    // Bytes past the 37 words are never read, and the reserved half of the
    // model type's word does not reach the record.
    b[147] = 0x7F;
    b[148] = 0xFF;
    b[90] = 0x01;
    words = DecodeSettingsWords(b);
    EXPECT_EQ(words[36], 0x7F000000u);
    EXPECT_EQ(words[settings_word::kModelType], 0x00010002u);
    EXPECT_EQ(SettingsFromWords(words), cockpit);

    // A file cut inside a word keeps that word's leading bytes.
    b.resize(110);
    b[108] = 0x34;
    b[109] = 0x12;
    EXPECT_EQ(DecodeSettingsWords(b)[settings_word::kFloatScale], 0x1234u);
}

// Both exporters load a .ces file through one read: a bounded one, whose
// refusals are told apart by their captions.
class LimitSeen : public DiskFileService {
  public:
    FileOutcome Read(const std::string& path, std::vector<uint8_t>& out, size_t limit) override {
        limits.push_back(limit);
        return DiskFileService::Read(path, out, limit);
    }
    std::vector<size_t> limits;
};

TEST(SettingsFile, ReadsAFileThroughTheHostAndSaysWhyNot) {
    test::TempDir dir("settings-file");
    std::vector<uint8_t> bytes = EncodeSettingsFile(Cockpit());
    bytes.resize(4096, 0xAB);
    const std::string path = dir.File("big.ces");
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    LimitSeen files;
    const Result<SettingsFileContent> read = ReadSettingsFile(files, path);
    ASSERT_TRUE(read) << read.Reason();
    EXPECT_EQ(read->settings, Cockpit());
    EXPECT_EQ(read->words, DecodeSettingsWords(bytes));
    EXPECT_FALSE(read->oldLayout);
    EXPECT_EQ(files.limits, std::vector<size_t>{kSettingsWordCount * 4});

    bytes.resize(kOldSettingsFileSize);
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    EXPECT_TRUE(ReadSettingsFile(files, path)->oldLayout);

    const Result<SettingsFileContent> missing = ReadSettingsFile(files, dir.File("none.ces"));
    EXPECT_EQ(missing.GetFault(), Fault::Unreadable);
    EXPECT_EQ(missing.Reason(), "Settings file could not be opened");
    EXPECT_STREQ(SettingsFileCaption(missing.GetStatus()), "File Open Error");

    const Result<SettingsFileContent> folder = ReadSettingsFile(files, dir.path());
    EXPECT_EQ(folder.GetFault(), Fault::Refused);
    EXPECT_EQ(folder.Reason(), NotRegularFileMessage(dir.path()));
    EXPECT_STREQ(SettingsFileCaption(folder.GetStatus()), kFileErrorCaption);

    EXPECT_TRUE(SettingsFileStatus(files, FileOutcome::Done, path));
    EXPECT_EQ(SettingsFileStatus(files, FileOutcome::Failed, path).GetFault(), Fault::Unreadable);
}

}  // namespace
}  // namespace kx
