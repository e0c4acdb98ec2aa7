#include "render/Picture.h"

#include <cairo.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "render/Palette.h"
#include "render/PanelPainter.h"
#include "render/ScenePreparation.h"
#include "render/TextForCairo.h"

namespace kx {

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

Status CairoFailure(const char* what, cairo_status_t status) {
    return Status::Failure(Fault::Refused,
                           std::string(what) + ": " + cairo_status_to_string(status));
}

std::string Plural(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

void PaintDividers(cairo_t* cr, int width, int height) {
    cairo_set_source_rgb(cr, kDivider.r, kDivider.g, kDivider.b);
    cairo_rectangle(cr, width / 2, 0, 1, height);
    cairo_rectangle(cr, 0, height / 2, width, 1);
    cairo_fill(cr);
}

constexpr double kCaptionLine = 17;
constexpr double kLabelBand = 22;

std::vector<std::string> CaptionLines(const RenderScene& scene) {
    std::vector<std::string> lines{TextForCairo(scene.fileName)};
    if (!scene.level.empty()) {
        lines.push_back(TextForCairo(scene.level));
    }
    const std::string many = scene.groupWord + "s";
    lines.push_back(Plural(scene.groups.size(), scene.groupWord.c_str(), many.c_str()) + ", " +
                    Plural(scene.TriangleCount(), "triangle", "triangles"));
    lines.push_back(Plural(scene.hardpoints.size(), "hardpoint", "hardpoints") + ", " +
                    Plural(scene.hullCount, "hull", "hulls"));
    if (!scene.note.empty()) {
        lines.push_back(scene.note);
    }
    return lines;
}

void PaintCaption(cairo_t* cr, const std::vector<std::string>& lines) {
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 13.0);
    double y = 18;
    for (const std::string& line : lines) {
        RimmedText(cr, 8, y, line.c_str());
        y += kCaptionLine;
    }
}

void PaintPanelLabel(cairo_t* cr, const SheetPanel& panel) {
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12.0);
    const std::string label =
        std::string(ViewName(panel.view)) + ": " + std::string(ViewAxes(panel.view));
    RimmedText(cr, panel.x + 8, panel.y + panel.height - 8, label.c_str());
}

}  // namespace

std::vector<SheetPanel> SheetPanels(int width, int height) {
    const int w0 = width / 2, h0 = height / 2;
    return {{ViewKind::Front, 0, 0, w0, h0},
            {ViewKind::Left, w0, 0, width - w0, h0},
            {ViewKind::Top, 0, h0, w0, height - h0},
            {ViewKind::Iso, w0, h0, width - w0, height - h0}};
}

Result<Picture> RenderPicture(const RenderScene& scene, const RenderOptions& options) {
    if (options.width < kMinPictureSide || options.width > kMaxPictureSide ||
        options.height < kMinPictureSide || options.height > kMaxPictureSide) {
        return Status::Failure(Fault::Refused, "a picture is " + std::to_string(kMinPictureSide) +
                                                   " to " + std::to_string(kMaxPictureSide) +
                                                   " pixels wide and high");
    }
    if (scene.TriangleCount() >= kHullItem || scene.hullKindOf.size() >= kHullItem) {
        return Status::Failure(Fault::Refused, "too many triangles to draw");
    }
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, options.width, options.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return CairoFailure("cannot make the picture", cairo_surface_status(surface.get()));
    }
    Context cr(cairo_create(surface.get()));
    cairo_set_source_rgb(cr.get(), kBackground.r, kBackground.g, kBackground.b);
    cairo_paint(cr.get());

    const PreparedScene prepared = PrepareScene(scene);
    std::vector<LabelBox> labels;
    std::vector<HardpointLabel> names;
    if (options.hardpoints && options.labels != LabelMode::None) {
        names = MeasureHardpointLabels(cr.get(), scene);
    } else {
        names.resize(scene.hardpoints.size());
    }
    auto paint = [&](ViewKind view, const PanelRect& clip, const PanelRect& fit) {
        const std::vector<LabelBox> shown = PaintPanel(cr.get(), prepared, view, clip, fit,
                                                       options.hardpoints, names, options.labels);
        labels.insert(labels.end(), shown.begin(), shown.end());
    };
    if (options.view == ViewKind::Sheet) {
        const auto panels = SheetPanels(options.width, options.height);
        const std::vector<std::string> caption = CaptionLines(scene);
        for (size_t i = 0; i < panels.size(); ++i) {
            const SheetPanel& p = panels[i];
            const PanelRect clip{double(p.x), double(p.y), double(p.width), double(p.height)};
            // The model keeps clear of the panel's label and of the caption,
            // unless the panel is too small to leave room for them.
            PanelRect fit = clip;
            const double top = i == 0 ? kCaptionLine * double(caption.size()) + 6 : 0;
            if (fit.height > 3 * (top + kLabelBand)) {
                fit.y += top;
                fit.height -= top + kLabelBand;
            }
            paint(p.view, clip, fit);
        }
        PaintDividers(cr.get(), options.width, options.height);
        for (const SheetPanel& p : panels) {
            PaintPanelLabel(cr.get(), p);
        }
        PaintCaption(cr.get(), caption);
    } else {
        const PanelRect whole{0, 0, double(options.width), double(options.height)};
        paint(options.view, whole, whole);
    }
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
        return CairoFailure("cannot draw the picture", cairo_status(cr.get()));
    }
    cairo_surface_flush(surface.get());

    Picture picture;
    picture.width = options.width;
    picture.height = options.height;
    picture.labels = std::move(labels);
    picture.pixels.resize(static_cast<size_t>(options.width) * options.height);
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < options.height; ++y) {
        std::memcpy(&picture.pixels[static_cast<size_t>(y) * options.width],
                    data + static_cast<size_t>(y) * stride, sizeof(uint32_t) * options.width);
    }
    return picture;
}

}  // namespace kx
