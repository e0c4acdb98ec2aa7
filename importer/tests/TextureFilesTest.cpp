// Textures written from a texture library: where they go, under what name,
// how a TGA's rows are turned, and that no stored name can write outside the
// texture folder or replace a file.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/FileIo.h"
#include "importer/ImportPaths.h"
#include "importer/NodeIndex.h"
#include "importer/TextureFiles.h"
#include "importer/tests/ImportFiles.h"
#include "importer/tests/MaterialFiles.h"
#include "testsupport/TempFiles.h"

namespace kx::test {
namespace {

namespace fs = std::filesystem;

// A loaded file with a material whose Dt_name leaf holds `stored`.
struct Library {
    explicit Library(const std::string& stored, std::vector<HandNode> textures)
        : image(FileOf(Folder("\\", {Folder("Material library",
                                            {Folder("Hull.mat", {Leaf("Dt_name", Str(stored))})}),
                                     TextureLibrary(std::move(textures))}))) {
        auto built = NodeIndex::Build(image);
        EXPECT_TRUE(built.Ok()) << built.Reason();
        index = std::move(built.Value());
        nameNode = index.FindPath("Dt_name", 1);
    }
    std::string Extract(const std::string& folder) const {
        return ExtractTexture(DiskFiles(), index, nameNode, folder);
    }

    std::vector<uint8_t> image;
    NodeIndex index;
    int nameNode = -1;
};

std::vector<uint8_t> Bytes(const std::string& path) {
    std::vector<uint8_t> out;
    EXPECT_EQ(ReadFileBytes(path, out), FileOutcome::Done) << path;
    return out;
}

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(fs::relative(entry.path(), folder).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> Rows(const std::vector<uint8_t>& tga, size_t start, size_t rowBytes) {
    std::vector<uint8_t> firstBytes;
    for (size_t at = start; at < tga.size(); at += rowBytes) {
        firstBytes.push_back(tga[at]);
    }
    return firstBytes;
}

TEST(ExtractTexture, MipsIsWrittenOnceAsLowerCaseDds) {
    TempDir out("textures");
    Library lib("Hull.TGA", {Folder("Hull.TGA", {Leaf("MIPS", Dds("pixels"))})});
    const std::string path = lib.Extract(out.path());
    EXPECT_EQ(path, JoinPath(out.path(), "hull.dds"));
    EXPECT_EQ(Bytes(path), Dds("pixels"));
    // A second material using it gets the same path; the file is not
    // written again (a changed file stays as it is).
    std::ofstream(path, std::ios::binary) << "mine";
    EXPECT_EQ(lib.Extract(out.path()), path);
    EXPECT_EQ(Bytes(path), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(Listing(out.path()), std::vector<std::string>{"hull.dds"});
}

// Stored names that run on after their extension (a date, a second name):
// the file is named up to the extension, with the extension of the data.
TEST(ExtractTexture, NamesAreCutAfterTheirImageExtension) {
    TempDir out("textures");
    struct Case {
        std::string stored;
        bool mips;
        std::string written;
    };
    const Case cases[] = {
        {"2P_S 07.tga021210203157", true, "2p_s 07.dds"},
        {"2P_S 21.tga0212102031572P_S 21o.tga", true, "2p_s 21.dds"},
        {"Deck.TGA.bak", false, "Deck.TGA"},
        {"Rail.DDS", false, "Rail.tga"},  // a TGA is never written as .dds
        {"Lamp.DDS_x", true, "lamp.dds"},
        // No image extension: the older rule.
        {"Bare", true, "bare"},
        {"Bare", false, "Bare"},
        {".tga7", false, ".tga7"},
    };
    for (const Case& c : cases) {
        const HandNode image = c.mips ? Leaf("MIPS", Dds(c.stored)) : Leaf("MIP0", Tga(1, 1));
        Library lib(c.stored, {Folder(c.stored, {image})});
        EXPECT_EQ(lib.Extract(out.path()), JoinPath(out.path(), c.written)) << c.stored;
    }
    // Every rule of the hardening still holds for the cut name.
    Library device("CON.tga0212", {Folder("CON.tga0212", {Leaf("MIPS", Dds("c"))})});
    EXPECT_EQ(device.Extract(out.path()), "CON.tga0212");
    Library up("../up.tga0212", {Folder("../up.tga0212", {Leaf("MIPS", Dds("u"))})});
    EXPECT_EQ(up.Extract(out.path()), JoinPath(out.path(), "up.dds"));
    for (const std::string& name : Listing(out.path())) {
        EXPECT_NE(name.substr(0, 3), "con") << name;
    }
}

// Two textures whose stored names differ only in what follows the extension
// write a file each; each name keeps finding its own file, also in a later
// import that needs only one of them.
TEST(ExtractTexture, NamesCutToOneFileNameNeverShareAFile) {
    TempDir out("textures");
    Library first("hull.tga001", {Folder("hull.tga001", {Leaf("MIPS", Dds("first"))})});
    Library second("hull.tga002", {Folder("hull.tga002", {Leaf("MIPS", Dds("second"))})});
    const std::string a = first.Extract(out.path());
    const std::string b = second.Extract(out.path());
    EXPECT_EQ(a, JoinPath(out.path(), "hull.dds"));
    EXPECT_EQ(b, JoinPath(out.path(), "hull (2).dds"));
    EXPECT_EQ(Bytes(a), Dds("first"));
    EXPECT_EQ(Bytes(b), Dds("second"));
    EXPECT_EQ(second.Extract(out.path()), b);
    EXPECT_EQ(first.Extract(out.path()), a);
    EXPECT_EQ(Listing(out.path()), (std::vector<std::string>{"hull (2).dds", "hull.dds"}));

    // A later import reading only the second, in the other order.
    TempDir later("textures");
    EXPECT_EQ(second.Extract(later.path()), JoinPath(later.path(), "hull.dds"));
    EXPECT_EQ(first.Extract(later.path()), JoinPath(later.path(), "hull (2).dds"));
    EXPECT_EQ(Bytes(JoinPath(later.path(), "hull (2).dds")), Dds("first"));
    // A plain name keeps the rule that a file already there is used as it is.
    Library plain("hull.tga", {Folder("hull.tga", {Leaf("MIPS", Dds("plain"))})});
    EXPECT_EQ(plain.Extract(later.path()), JoinPath(later.path(), "hull.dds"));
    EXPECT_EQ(Bytes(JoinPath(later.path(), "hull.dds")), Dds("second"));
}

TEST(ExtractTexture, Mip0RowsAreReversedInTheFileOnly) {
    TempDir out("textures");
    for (uint16_t height : {4, 5}) {
        const std::string name = "h" + std::to_string(height) + ".tga";
        const std::vector<uint8_t> tga = Tga(3, height);
        Library lib(name, {Folder(name, {Leaf("MIP0", tga), Leaf("MIP1", Tga(1, 1))})});
        const std::string path = lib.Extract(out.path());
        ASSERT_EQ(path, JoinPath(out.path(), name));
        const std::vector<uint8_t> written = Bytes(path);
        ASSERT_EQ(written.size(), tga.size());
        EXPECT_TRUE(std::equal(tga.begin(), tga.begin() + 18, written.begin()));
        const std::vector<uint8_t> expected =
            height == 4 ? std::vector<uint8_t>{3, 2, 1, 0} : std::vector<uint8_t>{4, 3, 2, 1, 0};
        EXPECT_EQ(Rows(written, 18, 3), expected);
        // The loaded image is untouched: extracting elsewhere turns it again
        // from the stored order.
        TempDir again("textures");
        EXPECT_EQ(Bytes(lib.Extract(again.path())), written);
    }
    // Other mip levels are never written.
    EXPECT_EQ(Listing(out.path()), (std::vector<std::string>{"h4.tga", "h5.tga"}));
}

TEST(ExtractTexture, IdentifierAndHeaderStayInPlace) {
    TempDir out("textures");
    const std::vector<uint8_t> tga = Tga(2, 3, 5);
    Library lib("id.tga", {Folder("id.tga", {Leaf("MIP0", tga)})});
    const std::vector<uint8_t> written = Bytes(lib.Extract(out.path()));
    ASSERT_EQ(written.size(), tga.size());
    EXPECT_TRUE(std::equal(tga.begin(), tga.begin() + 23, written.begin()));
    EXPECT_EQ(Rows(written, 23, 2), (std::vector<uint8_t>{2, 1, 0}));
}

TEST(ExtractTexture, NothingToWriteGivesTheStoredName) {
    TempDir out("textures");
    // No texture node of that name; a texture with only a later mip level;
    // no texture library at all.
    Library none("hull.tga", {Folder("other.tga", {Leaf("MIP0", Tga(1, 1))})});
    EXPECT_EQ(none.Extract(out.path()), "hull.tga");
    Library noMip0("hull.tga", {Folder("hull.tga", {Leaf("MIP1", Tga(1, 1))})});
    EXPECT_EQ(noMip0.Extract(out.path()), "hull.tga");
    Library empty("hull.tga", {});
    EXPECT_EQ(empty.Extract(out.path()), "hull.tga");
    EXPECT_TRUE(Listing(out.path()).empty());
    // A folder that is not absolute (no game folder known) takes nothing.
    Library found("hull.tga", {Folder("hull.tga", {Leaf("MIPS", Dds("pixels"))})});
    EXPECT_EQ(found.Extract("kaltrix_relative_textures"), "hull.tga");
    EXPECT_FALSE(fs::exists("kaltrix_relative_textures"));
}

TEST(ExtractTexture, ShortOrInconsistentTgaIsWrittenUnchanged) {
    TempDir out("textures");
    std::vector<uint8_t> cut = Tga(4, 4);
    cut.pop_back();
    std::vector<uint8_t> hugeId = Tga(1, 2);
    hugeId[0] = 200;  // identifier longer than the image
    std::vector<uint8_t> map = Tga(1, 2);
    map[1] = 1;  // a colour map of 4 entries of 32 bits that is not there
    map[5] = 4;
    map[7] = 32;
    std::vector<uint8_t> negative = Tga(1, 2);
    negative[15] = 0xFF;  // height -254
    const std::vector<uint8_t> header = {0, 0, 2, 0, 0, 0};
    int n = 0;
    for (const std::vector<uint8_t>& image : {cut, hugeId, map, negative, header}) {
        const std::string name = "bad" + std::to_string(n++) + ".tga";
        Library lib(name, {Folder(name, {Leaf("MIP0", image)})});
        const std::string path = lib.Extract(out.path());
        ASSERT_EQ(path, JoinPath(out.path(), name));
        EXPECT_EQ(Bytes(path), image) << name;
    }
}

TEST(ExtractTexture, HostileNamesNeverWriteOutsideTheFolder) {
    TempDir root("hostile");
    const std::string folder = JoinPath(root.path(), "tex");
    fs::create_directory(folder);
    const std::vector<uint8_t> tga = Tga(1, 1);
    struct Case {
        std::string stored;
        std::string written;  // empty: nothing is written
    };
    const Case cases[] = {
        {"../../x.tga", "x.tga"},
        {"..\\..\\y.tga", "y.tga"},
        {"C:\\a\\b.tga", "b.tga"},
        {"C:z.tga", "z.tga"},
        {"/etc/passwd", "passwd"},
        {"..", ""},
        {"sub/..", ""},
        {"CON.tga", ""},
        {"nul", ""},
        {"com7.TGA", ""},
        {"Lpt1 .tga", ""},
        {"", ""},
        {"a/", ""},
        {"bad\tname.tga", ""},
    };
    for (const Case& c : cases) {
        Library lib(c.stored, {Folder(c.stored, {Leaf("MIP0", tga)})});
        const std::string path = lib.Extract(folder);
        if (c.written.empty()) {
            EXPECT_EQ(path, c.stored);
        } else {
            EXPECT_EQ(path, JoinPath(folder, c.written)) << c.stored;
        }
    }
    EXPECT_EQ(Listing(root.path()),
              (std::vector<std::string>{"tex", "tex/b.tga", "tex/passwd", "tex/x.tga", "tex/y.tga",
                                        "tex/z.tga"}));
}

TEST(ExtractTexture, AFileThatCannotBeCreatedGivesTheStoredName) {
    TempDir out("textures");
    Library lib("hull.tga", {Folder("hull.tga", {Leaf("MIP0", Tga(1, 1))})});
    EXPECT_EQ(lib.Extract(JoinPath(out.path(), "missing")), "hull.tga");
    // Without a texture folder the file would land in the current folder.
    EXPECT_EQ(lib.Extract(""), "hull.tga");
    EXPECT_TRUE(Listing(out.path()).empty());
}

TEST(SafeTextureName, KeepsOnlyAPlainLastComponent) {
    EXPECT_EQ(SafeTextureName("hull.tga"), "hull.tga");
    EXPECT_EQ(SafeTextureName("ships\\a\\Hull.TGA"), "Hull.TGA");
    EXPECT_EQ(SafeTextureName("d:hull.tga"), "hull.tga");
    EXPECT_EQ(SafeTextureName("console.tga"), "console.tga");
    EXPECT_EQ(SafeTextureName("com0.tga"), "com0.tga");
    EXPECT_EQ(SafeTextureName("AUX"), "");
    EXPECT_EQ(SafeTextureName("x/prn.dds"), "");
    EXPECT_EQ(SafeTextureName(". ."), "");
}

TEST(ReverseTgaRows, ColourMapIsSkippedAndSizesAreChecked) {
    std::vector<uint8_t> mapped = Tga(2, 2, 1);
    mapped[1] = 1;  // two 24-bit colour map entries before the rows
    mapped[5] = 2;
    mapped[7] = 24;
    mapped.insert(mapped.begin() + 19, {9, 9, 9, 8, 8, 8});
    std::vector<uint8_t> turned = mapped;
    ASSERT_TRUE(ReverseTgaRows(turned));
    EXPECT_TRUE(std::equal(mapped.begin(), mapped.begin() + 25, turned.begin()));
    EXPECT_EQ(Rows(turned, 25, 2), (std::vector<uint8_t>{1, 0}));

    // A depth under 8 bits gives empty rows: nothing moves.
    std::vector<uint8_t> thin = Tga(4, 2, 0, 8);
    thin[16] = 4;
    std::vector<uint8_t> same = thin;
    EXPECT_TRUE(ReverseTgaRows(same));
    EXPECT_EQ(same, thin);

    std::vector<uint8_t> shortHeader(17, 0);
    EXPECT_FALSE(ReverseTgaRows(shortHeader));
    EXPECT_EQ(shortHeader, std::vector<uint8_t>(17, 0));
}

TEST(FolderChain, MakesEveryFolderOutermostFirst) {
#if defined(_WIN32)
    EXPECT_EQ(FolderChain("C:\\Out\\Tex"),
              (std::vector<std::string>{"C:", "C:\\Out", "C:\\Out\\Tex"}));
    EXPECT_EQ(FolderChain("C:/Out\\\\Tex\\"),
              (std::vector<std::string>{"C:", "C:\\Out", "C:\\Out\\Tex"}));
#else
    EXPECT_EQ(FolderChain("/out/tex"), (std::vector<std::string>{"/out", "/out/tex"}));
    EXPECT_EQ(FolderChain("out//tex/"), (std::vector<std::string>{"out", "out/tex"}));
    // A last part with a dot is a file name; a dot further up is not.
    EXPECT_EQ(FolderChain("/out/tex/hull.tga"), (std::vector<std::string>{"/out", "/out/tex"}));
    EXPECT_EQ(FolderChain("/game 1.0/tex"),
              (std::vector<std::string>{"/game 1.0", "/game 1.0/tex"}));
    EXPECT_TRUE(FolderChain("").empty());
#endif
}

// Relative folders are never made or written to: they would land wherever
// the host runs.
TEST(FolderChain, RelativeFoldersAreLeftAlone) {
    const std::string relative = "kaltrix_relative_textures";
    CreateFolderChain(DiskFiles(), relative + "/tex");
    EXPECT_FALSE(fs::exists(relative));
}

TEST(FolderChain, CreatesTheFoldersAndPassesOverFailures) {
    TempDir root("chain");
    const std::string deep = JoinPath(JoinPath(root.path(), "a"), "b");
    CreateFolderChain(DiskFiles(), deep);
    EXPECT_TRUE(fs::is_directory(deep));
    // A file where a folder should be: nothing below it is made, nothing
    // thrown, the file stays.
    std::ofstream(JoinPath(root.path(), "f"), std::ios::binary) << "x";
    CreateFolderChain(DiskFiles(), JoinPath(JoinPath(root.path(), "f"), "g"));
    EXPECT_TRUE(fs::is_regular_file(JoinPath(root.path(), "f")));
    EXPECT_EQ(Listing(root.path()), (std::vector<std::string>{"a", "a/b", "f"}));
}

}  // namespace
}  // namespace kx::test
