#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "render/Palette.h"
#include "render/Picture.h"
#include "render/tests/SceneBuilders.h"

namespace kx {
namespace {

bool IsBackground(uint32_t rgb) {
    return rgb == kBackgroundRgb;
}

int Red(uint32_t rgb) {
    return (rgb >> 16) & 0xFF;
}
int Green(uint32_t rgb) {
    return (rgb >> 8) & 0xFF;
}
int Blue(uint32_t rgb) {
    return rgb & 0xFF;
}

Picture Draw(const RenderScene& scene, ViewKind view, int width, int height,
             bool hardpoints = true) {
    RenderOptions options;
    options.view = view;
    options.width = width;
    options.height = height;
    options.hardpoints = hardpoints;
    auto picture = RenderPicture(scene, options);
    EXPECT_TRUE(picture.Ok()) << picture.Reason();
    return picture.Ok() ? picture.Value() : Picture{};
}

// The box of the pixels that are not background.
struct Covered {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};
Covered CoveredBox(const Picture& p) {
    Covered c;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            if (!IsBackground(p.At(x, y))) {
                c.left = std::min(c.left, x);
                c.right = std::max(c.right, x);
                c.top = std::min(c.top, y);
                c.bottom = std::max(c.bottom, y);
            }
        }
    }
    return c;
}

TEST(Picture, UnitCubeFromTheFrontCoversACentredSquare) {
    RenderScene scene;
    test::AddCube(scene, 0, {0, 0, 0}, 1.0f);
    // A wide picture: the cube must stay square, in the middle.
    const Picture p = Draw(scene, ViewKind::Front, 300, 200);
    ASSERT_EQ(p.pixels.size(), 300u * 200u);
    const Covered c = CoveredBox(p);
    const int w = c.right - c.left + 1, h = c.bottom - c.top + 1;
    EXPECT_NEAR(w, h, 2);
    EXPECT_GE(h, 160);  // fills the height but for a margin
    EXPECT_LT(h, 200);
    EXPECT_NEAR((c.left + c.right) / 2.0, 149.5, 1.5);
    EXPECT_NEAR((c.top + c.bottom) / 2.0, 99.5, 1.5);
    for (auto [x, y] : {std::pair{0, 0}, {299, 0}, {0, 199}, {299, 199}, {c.left - 3, 100}}) {
        EXPECT_TRUE(IsBackground(p.At(x, y))) << x << "," << y;
    }
    // Inside, the one face seen is evenly shaded in the first group's colour.
    const uint32_t inside = p.At(150, 100);
    EXPECT_FALSE(IsBackground(inside));
    EXPECT_EQ(p.At(c.left + 5, c.top + 5), inside);
    EXPECT_EQ(p.At(c.right - 5, c.bottom - 5), inside);
}

TEST(Picture, NearerFacesCoverFartherOnesWhateverTheirOrder) {
    // Two squares facing the front viewer (-z), the nearer at z = -1, the
    // farther larger; group 1 is orange, group 3 blue.
    auto square = [](RenderScene& s, uint16_t group, float z, float h) {
        test::AddQuad(s, group, {-h, -h, z}, {h, -h, z}, {h, h, z}, {-h, h, z}, {0, 0, -1});
    };
    for (bool nearFirst : {true, false}) {
        RenderScene scene;
        scene.groups = {"a", "b", "c", "d"};
        if (nearFirst) {
            square(scene, 1, -1, 0.5f);
            square(scene, 3, 1, 1.0f);
        } else {
            square(scene, 3, 1, 1.0f);
            square(scene, 1, -1, 0.5f);
        }
        const Picture p = Draw(scene, ViewKind::Front, 200, 200);
        const uint32_t centre = p.At(100, 100), rim = p.At(30, 100);
        EXPECT_GT(Red(centre), Blue(centre)) << nearFirst;
        EXPECT_GT(Blue(rim), Red(rim)) << nearFirst;
        // From the back the orange square faces away and is not drawn, nor
        // is the blue one: both face the front.
        const Picture back = Draw(scene, ViewKind::Back, 200, 200);
        EXPECT_TRUE(IsBackground(back.At(100, 100)));
    }
}

TEST(Picture, HardpointArrowsPointAlongTheirFrame) {
    RenderScene scene;
    SceneHardpoint hp;
    hp.name = "HpWeapon01";
    // Its x axis along +y (up in the front view), its y axis along -x
    // (right), its z axis along +z (so it points at the front viewer, -z).
    hp.frame = {{{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}};
    scene.hardpoints.push_back(hp);
    // Arrows one unit long (no model to measure), so the fitted square runs
    // from the hardpoint at its bottom left to the arrow tips.
    const Picture front = Draw(scene, ViewKind::Front, 200, 200);
    const uint32_t up = front.At(10, 80), right = front.At(120, 190);
    EXPECT_GT(Red(up), 2 * Green(up));
    EXPECT_GT(Green(right), 2 * Red(right));
    EXPECT_TRUE(IsBackground(front.At(120, 80)));

    // From the left (+z to the right, +y up): x still up, y now at the
    // viewer, and the blue arrow along -z points left.
    const Picture left = Draw(scene, ViewKind::Left, 200, 200);
    const uint32_t leftward = left.At(80, 190), upward = left.At(190, 80);
    EXPECT_GT(Blue(leftward), 2 * Red(leftward));
    EXPECT_GT(Red(upward), 2 * Blue(upward));

    // Without hardpoints nothing is drawn.
    const Picture none = Draw(scene, ViewKind::Front, 200, 200, false);
    EXPECT_EQ(CoveredBox(none).right, -1);
}

TEST(Picture, SheetHasFourPanelsOfTheAskedSize) {
    RenderScene scene;
    scene.fileName = "cube.ms3d";
    test::AddCube(scene, 0, {0, 0, 0}, 1.0f);
    for (auto [w, h] : {std::pair{400, 300}, {401, 301}}) {
        const Picture p = Draw(scene, ViewKind::Sheet, w, h);
        ASSERT_EQ(p.width, w);
        ASSERT_EQ(p.height, h);
        const auto panels = SheetPanels(w, h);
        ASSERT_EQ(panels.size(), 4u);
        for (const SheetPanel& panel : panels) {
            EXPECT_NEAR(panel.width, w / 2.0, 0.5);
            EXPECT_NEAR(panel.height, h / 2.0, 0.5);
            // The cube in the middle of every panel.
            EXPECT_FALSE(IsBackground(p.At(panel.x + panel.width / 2, panel.y + panel.height / 2)))
                << ViewName(panel.view);
        }
        // Dividers run across the whole picture between the panels.
        EXPECT_FALSE(IsBackground(p.At(w / 2, 5)));
        EXPECT_FALSE(IsBackground(p.At(w - 5, h / 2)));
        EXPECT_TRUE(IsBackground(p.At(w / 2 + 3, 5)));
    }
}

TEST(Picture, HullsAreTranslucentAndHiddenBehindTheModel) {
    RenderScene scene;
    test::AddCube(scene, 0, {0, 0, 0}, 1.0f);
    const uint32_t bare = Draw(scene, ViewKind::Front, 200, 200).At(100, 100);
    // Hulls are seen from both sides: this one faces away from the front.
    scene.AddHullTriangle(HullKind::Part, {-2, -2, 2}, {0, 2, 2}, {2, -2, 2});
    const Picture behind = Draw(scene, ViewKind::Front, 200, 200);
    EXPECT_EQ(behind.At(100, 100), bare);
    const uint32_t beside = behind.At(100, 140);  // below the cube, inside the hull
    EXPECT_FALSE(IsBackground(beside));
    EXPECT_GT(Blue(beside), Blue(kBackgroundRgb));
    EXPECT_LT(Blue(beside), Blue(kBackgroundRgb) + 60);

    // In front of the cube, yellow tints it but lets it show.
    scene.AddHullTriangle(HullKind::Wrap, {-2, -2, -1}, {2, -2, -1}, {0, 2, -1});
    const uint32_t tinted = Draw(scene, ViewKind::Front, 200, 200).At(100, 100);
    EXPECT_GT(Red(tinted), Red(bare));
    EXPECT_LT(Red(tinted), Red(bare) + 60);
}

TEST(Picture, CornersThatAreNotFiniteAreLeftOut) {
    RenderScene scene;
    test::AddCube(scene, 0, {0, 0, 0}, 1.0f);
    const Picture clean = Draw(scene, ViewKind::Iso, 160, 120);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    scene.AddTriangle(0, {0, 0, 0}, {inf, 0, 0}, {0, 1, 0});
    scene.AddTriangle(0, {nan, 0, 0}, {1, 0, 0}, {0, 1, 0});
    scene.AddHullTriangle(HullKind::Part, {0, -inf, 0}, {1, 0, 0}, {0, 1, 0});
    SceneHardpoint hp;
    hp.position = {nan, 0, 0};
    scene.hardpoints.push_back(hp);
    const Picture dirty = Draw(scene, ViewKind::Iso, 160, 120);
    EXPECT_EQ(dirty.pixels, clean.pixels);
}

TEST(Picture, NamesThatAreNotUtf8StillDraw) {
    RenderScene scene;
    scene.fileName = "ship\xff.ms3d";
    test::AddCube(scene, 0, {0, 0, 0}, 1.0f);
    SceneHardpoint hp;
    hp.name = "Hp\xc3(\x01";
    scene.hardpoints.push_back(hp);
    RenderOptions options;
    options.width = 200;
    options.height = 150;
    EXPECT_TRUE(RenderPicture(scene, options).Ok());
}

TEST(Picture, RefusesSizesOutOfRange) {
    RenderScene scene;
    for (auto [w, h] : {std::pair{kMinPictureSide - 1, 100}, {100, kMaxPictureSide + 1}, {0, 0}}) {
        RenderOptions options;
        options.width = w;
        options.height = h;
        auto r = RenderPicture(scene, options);
        EXPECT_FALSE(r.Ok());
        EXPECT_EQ(r.GetFault(), Fault::Refused);
    }
}

TEST(Picture, PngHoldsThePixels) {
    RenderScene scene;
    test::AddCube(scene, 2, {0, 0, 0}, 1.0f);
    const Picture p = Draw(scene, ViewKind::Top, 64, 48);
    auto png = EncodePng(p);
    ASSERT_TRUE(png.Ok()) << png.Reason();
    struct Reader {
        const std::vector<uint8_t>& bytes;
        size_t at = 0;
    } reader{png.Value()};
    cairo_surface_t* back = cairo_image_surface_create_from_png_stream(
        [](void* closure, unsigned char* data, unsigned int length) {
            auto* r = static_cast<Reader*>(closure);
            if (r->bytes.size() - r->at < length) {
                return CAIRO_STATUS_READ_ERROR;
            }
            std::copy_n(r->bytes.begin() + static_cast<ptrdiff_t>(r->at), length, data);
            r->at += length;
            return CAIRO_STATUS_SUCCESS;
        },
        &reader);
    ASSERT_EQ(cairo_surface_status(back), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(back), 64);
    EXPECT_EQ(cairo_image_surface_get_height(back), 48);
    const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(back) +
                                                        24 * cairo_image_surface_get_stride(back));
    EXPECT_EQ(row[32] & 0xFFFFFF, p.At(32, 24));
    EXPECT_EQ(row[0] & 0xFFFFFF, kBackgroundRgb);
    cairo_surface_destroy(back);
}

}  // namespace
}  // namespace kx

namespace kx {
namespace {

// A cube crowded with hardpoints, most of them closer together than a name
// is long, and one docking point far off to the right.
RenderScene CrowdedScene() {
    RenderScene scene;
    scene.fileName = "crowded.cmp";
    test::AddCube(scene, 0, {0, 0, 0}, 1.0f);
    for (int h = 0; h < 60; ++h) {
        SceneHardpoint hp;
        hp.name = "HpWeapon" + std::to_string(h);
        hp.position = {-0.5f + 0.017f * float(h), 0.3f * std::sin(float(h)), 0.5f};
        scene.hardpoints.push_back(hp);
    }
    SceneHardpoint dock;
    dock.name = "HpDockMount";
    dock.position = {-40, 0, 0};
    scene.hardpoints.push_back(dock);
    return scene;
}

TEST(PictureLabels, FitLeavesOutEveryNameThatWouldCoverAnEarlierOne) {
    const RenderScene scene = CrowdedScene();
    RenderOptions options;
    options.view = ViewKind::Front;
    options.width = 400;
    options.height = 300;
    auto fit = RenderPicture(scene, options);
    ASSERT_TRUE(fit.Ok());
    const std::vector<LabelBox>& shown = fit->labels;
    EXPECT_GT(shown.size(), 3u);
    EXPECT_LT(shown.size(), scene.hardpoints.size());
    for (size_t i = 0; i < shown.size(); ++i) {
        for (size_t j = i + 1; j < shown.size(); ++j) {
            EXPECT_FALSE(shown[i].Overlaps(shown[j])) << i << " and " << j;
        }
    }
    options.labels = LabelMode::All;
    EXPECT_EQ(RenderPicture(scene, options)->labels.size(), scene.hardpoints.size());
    options.labels = LabelMode::None;
    auto none = RenderPicture(scene, options);
    EXPECT_TRUE(none->labels.empty());
    // Leaving names out leaves the arrows: fewer pixels differ from the
    // background, but the picture is not bare.
    EXPECT_NE(CoveredBox(none.Value()).right, -1);
}

TEST(PictureLabels, AFarHardpointDoesNotShrinkTheModelAndIsMarkedAtTheEdge) {
    RenderScene alone;
    test::AddCube(alone, 0, {0, 0, 0}, 1.0f);
    RenderScene withDock = alone;
    SceneHardpoint dock;
    dock.name = "HpDock";
    dock.position = {-40, 0, 0};  // far to the right in the front view (-x right)
    withDock.hardpoints.push_back(dock);
    const Picture a = Draw(alone, ViewKind::Front, 300, 200);
    const Picture b = Draw(withDock, ViewKind::Front, 300, 200);
    // The cube fills the same square in both.
    EXPECT_EQ(a.At(150, 100), b.At(150, 100));
    EXPECT_EQ(a.At(110, 60), b.At(110, 60));
    EXPECT_FALSE(IsBackground(b.At(110, 60)));
    // The dock's marker lies near the right edge, level with its point.
    bool marked = false;
    for (int x = 270; x < 300; ++x) {
        marked = marked || !IsBackground(b.At(x, 100));
        EXPECT_TRUE(IsBackground(a.At(x, 100)));
    }
    EXPECT_TRUE(marked);
}

TEST(PictureLabels, ChoosesAndParsesModes) {
    const std::vector<LabelBox> boxes = {
        {0, 0, 10, 5}, {5, 2, 10, 5}, {10, 0, 5, 5}, {20, 0, 5, 5}};
    EXPECT_EQ(ChooseLabels(boxes, LabelMode::Fit), (std::vector<uint8_t>{1, 0, 1, 1}));
    EXPECT_EQ(ChooseLabels(boxes, LabelMode::All), (std::vector<uint8_t>{1, 1, 1, 1}));
    EXPECT_EQ(ChooseLabels(boxes, LabelMode::None), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(ParseLabelMode("fit"), LabelMode::Fit);
    EXPECT_EQ(ParseLabelMode("none"), LabelMode::None);
    EXPECT_FALSE(ParseLabelMode("some"));
}

}  // namespace
}  // namespace kx
