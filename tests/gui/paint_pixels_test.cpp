// The paint that sends only the shapes in view gives the same pixels as the paint that
// sends every shape, drawn by the real GL (Mesa) into a window-sized framebuffer: from
// the start-up view, over the whole drawing, at its edge close up, from below the
// ground and walking through it at eye height; a colour run per shape drawn either way
// gives the same pixels; and a drawing of values at the edge of a float's range paints
// and ends.
#include <GL/gl.h>

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QTest>
#include <cstdint>
#include <memory>
#include <random>

#include "app/program_defaults.h"
#include "gui/gl_context_check.h"
#include "gui/gl_frame_painter.h"
#include "gui_tests.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "view/camera.h"
#include "view/paint_frame.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct View {
    const char* name;
    Float3 translate;
    double elevation, azimuth;
};
constexpr View kViews[] = {
    {"start-up", {0, 0, -50000}, 90, 0},        {"whole extent", {0, 0, -250000}, 90, 0},
    {"an edge", {-39000, -2000, -9000}, 90, 0}, {"below the ground", {3000, -1000, -40000}, -90, 0},
    {"walk-through", {0, -1600, 0}, 5, 30},
};

// A drawing of every kind over 80 m, some shapes above the ground, one layer hidden and
// a few shapes selected; shapes overlap, so that the order of drawing shows.
void FillDrawing(CZorader_ezDoc& doc) {
    std::mt19937 random(32);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    };
    const char* layers[] = {"0", "walls", "hidden"};
    for (const char* layer : layers) {
        EnsureLayer(layer);
    }
    g_layerAttributes[FindLayer("hidden")][LAYER_VISIBLE] = 0.0;
    for (int i = 0; i < 4000; ++i) {
        CShape& t = doc.m_current;
        t = CShape{};
        t.m_nType = 1 + i % 5;
        const float x = static_cast<float>(uniform(-40000, 40000));
        const float z = static_cast<float>(uniform(-40000, 40000));
        const float y = i % 7 == 0 ? static_cast<float>(uniform(-2000, 2000)) : 0.0f;
        for (Float3& p : t.m_pt) {
            p = {x + static_cast<float>(uniform(-3000, 3000)), y,
                 z + static_cast<float>(uniform(-3000, 3000))};
        }
        t.m_pt[0] = {x, y, z};
        if (t.m_nType == SHAPE_CIRCLE || t.m_nType == SHAPE_ARC) {
            t.m_pt[1] = {static_cast<float>(uniform(10, i % 50 == 0 ? 60000 : 3000)),
                         static_cast<float>(uniform(0, 360)), static_cast<float>(uniform(0, 400))};
        } else if (t.m_nType == SHAPE_TEXT) {
            t.m_pt[1] = {static_cast<float>(uniform(20, 1500)),
                         static_cast<float>(uniform(20, 1500)),
                         static_cast<float>(uniform(0, 360))};
        }
        t.m_bSelected = i % 11 == 0 ? 1 : 0;
        doc.SetCurrentLayer(layers[i % 3]);
        doc.SetCurrentText(t.m_nType == SHAPE_TEXT ? "AB\x88\x9f" : "");
        doc.AddCurrentShape();
    }
    doc.m_current = CShape{};
}

}  // namespace

class PaintPixelsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        context_.setFormat(ViewSurfaceFormat());
        surface_.setFormat(ViewSurfaceFormat());
        surface_.create();
        QVERIFY(context_.create() && context_.makeCurrent(&surface_));
        QOpenGLFramebufferObjectFormat format;
        format.setAttachment(QOpenGLFramebufferObject::Depth);
        fbo_ = std::make_unique<QOpenGLFramebufferObject>(kWidth, kHeight, format);
        QVERIFY(fbo_->bind());
    }

    void cleanupTestCase() {
        fbo_.reset();
        context_.doneCurrent();
    }

    void culledPaintGivesTheSamePixelsAsTheWholePaint() {
        HeadlessPlatform platform;
        ScopedPlatform scoped(platform);
        InitProgramDefaults();
        g_gridOn = 0;  // only the shapes' pixels
        CZorader_ezDoc doc;
        FillDrawing(doc);
        for (const View& view : kViews) {
            g_viewTranslate = view.translate;
            g_elevation = view.elevation;
            g_azimuth = view.azimuth;
            PaintBuilder whole(PaintOptions{false, true});
            PaintBuilder culled;
            const QImage all = Paint(whole, doc);
            const QImage sent = Paint(culled, doc);
            QVERIFY2(Drawn(all) > 500, view.name);
            QVERIFY2(all == sent, view.name);
        }
    }

    // Every other shape selected: a colour run per shape, drawn in stretches with a
    // colour per vertex, gives the pixels of the runs drawn one by one.
    void manyColourRunsGiveThePixelsOfRunsDrawnOneByOne() {
        HeadlessPlatform platform;
        ScopedPlatform scoped(platform);
        InitProgramDefaults();
        g_gridOn = 0;
        CZorader_ezDoc doc;
        FillDrawing(doc);
        bool odd = false;
        for (const ShapeRef& shape : doc.m_shapes) {
            doc.SetSelected(*shape, odd);
            odd = !odd;
        }
        g_viewTranslate = kViews[1].translate;  // the whole extent
        g_elevation = kViews[1].elevation;
        g_azimuth = kViews[1].azimuth;
        PaintBuilder builder;
        const QImage oneByOne = Paint(builder, doc, SIZE_MAX);
        QVERIFY(builder.Build(doc, kWidth, kHeight).wireframe->runs.size() > 1000);
        const QImage together = Paint(builder, doc, 0);
        QVERIFY(Drawn(oneByOne) > 500);
        QVERIFY(oneByOne == together);
    }

    void valuesAtTheEdgeOfAFloatPaintAndEnd() {
        HeadlessPlatform platform;
        ScopedPlatform scoped(platform);
        InitProgramDefaults();
        g_gridOn = 0;
        CZorader_ezDoc doc;
        constexpr float kBig = 3e38f;
        const struct {
            int type;
            Float3 p0, p1;
        } shapes[] = {
            {SHAPE_CIRCLE, {0, 0, 0}, {kBig, 0, 0}},
            {SHAPE_CIRCLE, {kBig, 0, -kBig}, {kBig, 0, 0}},
            {SHAPE_ARC, {-kBig, 0, 0}, {kBig, -kBig, kBig}},
            {SHAPE_CIRCLE, {0, 0, 0}, {1e12f, 0, 0}},
            {SHAPE_LINE, {-kBig, 0, -kBig}, {kBig, kBig, kBig}},
            {SHAPE_TEXT, {0, 0, 0}, {kBig, kBig, 45}},
            {SHAPE_CIRCLE, {1000, 0, 0}, {2000, 0, 0}},
        };
        for (const auto& s : shapes) {
            doc.m_current = CShape{};
            doc.m_current.m_nType = s.type;
            doc.m_current.m_pt[0] = s.p0;
            doc.m_current.m_pt[1] = s.p1;
            doc.SetCurrentLayer("0");
            doc.SetCurrentText(s.type == SHAPE_TEXT ? "AB" : "");
            EnsureLayer("0");
            doc.AddCurrentShape();
        }
        doc.m_current = CShape{};
        for (const View& view : kViews) {
            g_viewTranslate = view.translate;
            g_elevation = view.elevation;
            g_azimuth = view.azimuth;
            PaintBuilder builder;
            const QImage image = Paint(builder, doc);
            QVERIFY2(!image.isNull(), view.name);
        }
        // The ordinary circle among them still shows, from above.
        g_viewTranslate = kViews[0].translate;
        g_elevation = 90;
        g_azimuth = 0;
        PaintBuilder builder;
        QVERIFY(Drawn(Paint(builder, doc)) > 100);
    }

  private:
    QImage Paint(PaintBuilder& builder, const CZorader_ezDoc& doc,
                 size_t runsOneByOne = kRunsDrawnOneByOne) {
        g_displayListValid = 0;
        const PaintFrame& frame = builder.Build(doc, kWidth, kHeight);
        DrawPaintFrame(frame, kWidth, kHeight, runsOneByOne);
        glFinish();
        return fbo_->toImage();
    }

    // Pixels in the shapes' white or magenta.
    static int Drawn(const QImage& image) {
        int drawn = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                drawn += qRed(p) == 255 && qBlue(p) == 255 ? 1 : 0;
            }
        }
        return drawn;
    }

    QOpenGLContext context_;
    QOffscreenSurface surface_;
    std::unique_ptr<QOpenGLFramebufferObject> fbo_;
};

std::unique_ptr<QObject> MakePaintPixelsTest() {
    return std::make_unique<PaintPixelsTest>();
}

}  // namespace marquetta

#include "paint_pixels_test.moc"
