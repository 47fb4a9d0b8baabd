// The program's drawing view on an 800 x 600 client area with the start-up camera
// (looking straight down from 50000 mm), the headless platform, and helpers that turn
// world points into the pixels a user would click.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/app_controller.h"
#include "app/program_defaults.h"
#include "edit/editing_state.h"
#include "edit/view.h"
#include "model/layers.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "view/camera.h"
#include "view/sheet.h"

namespace marquetta {

class ViewFixture : public ::testing::Test {
  protected:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;

    void SetUp() override {
        InitProgramDefaults();
        Paint();
        platform.ClearCalls();
    }

    void Paint() { view.OnPaint(kWidth, kHeight); }

    // The mouse pixel (y from the top) at which a world point appears.
    static Double2 PixelOf(double x, double y, double z) {
        double wx = 0.0, wy = 0.0, wz = 0.0;
        EXPECT_TRUE(ProjectCaptured(x, y, z, wx, wy, wz));
        return {wx, g_viewport[3] - wy};
    }
    // The nearest whole pixel, as a mouse event carries it.
    static int Px(double v) { return static_cast<int>(std::lround(v)); }

    // A user's left click: the cursor arrives, the button goes down and up.
    void Click(int x, int y) {
        view.OnMouseMove(x, y);
        view.OnLButtonDown(x, y);
        view.OnLButtonUp(x, y);
    }
    void ClickWorld(double x, double z) {
        const Double2 p = PixelOf(x, 0.0, z);
        Click(Px(p.x), Px(p.y));
    }
    void RightClick(int x, int y, int modifiers = MOD_NONE) {
        view.OnRButtonDown(x, y, modifiers, MOUSE_RIGHT);
        view.OnRButtonUp(x, y);
    }

    CShape& AddShape(int type, Float3 p0, Float3 p1, const std::string& layer = "0") {
        EnsureLayer(layer);
        CShape shape;
        shape.m_nType = type;
        shape.m_strLayer = layer;
        shape.m_pt[0] = p0;
        shape.m_pt[1] = p1;
        return doc.AppendShape(std::make_unique<CShape>(shape));
    }
    CShape& AddLine(Float3 a, Float3 b, const std::string& layer = "0") {
        return AddShape(SHAPE_LINE, a, b, layer);
    }
    static void HideLayer(const std::string& name) {
        EnsureLayer(name);
        g_layerAttributes[FindLayer(name)][LAYER_VISIBLE] = 0.0;
    }

    size_t CountOf(PlatformCall::Kind kind) const { return platform.CallsOf(kind).size(); }
    size_t Beeps(BeepKind kind) const {
        size_t n = 0;
        for (const PlatformCall& call : platform.CallsOf(PlatformCall::Kind::Beep)) {
            n += call.beep == kind ? 1 : 0;
        }
        return n;
    }
    const CShape& Shape(size_t index) const {
        auto it = doc.m_shapes.begin();
        std::advance(it, index);
        return **it;
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    // The whole program, for the commands beyond the view's (undo, paste, import).
    AppController app;
    CZorader_ezDoc& doc = app.Document();
    CZorader_ezView& view = app.View();
};

}  // namespace marquetta
