// A drawing edited at random through the document's own operations: shapes of every
// kind added, moved, given new points, selected, erased, removed, inserted, copied,
// layers shown and hidden, the whole list replaced as by opening a file, steps undone
// and redone. What is kept
// in step with the list (the pick index, the wireframe) must answer after any of it as
// if made afresh.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

#include "app/program_defaults.h"
#include "model/document.h"
#include "model/layers.h"
#include "platform/platform.h"

namespace marquetta {

class RandomDrawing : public ::testing::Test {
  protected:
    static constexpr const char* kLayers[] = {"0", "walls", "doors"};

    void SetUp() override {
        InitProgramDefaults();
        for (const char* layer : kLayers) {
            EnsureLayer(layer);
        }
    }

    double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); }
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    Float3 Point(double height = 0.0) {
        return {static_cast<float>(Uniform(-20000, 20000)), static_cast<float>(height),
                static_cast<float>(Uniform(-20000, 20000))};
    }
    CShape& AnyShape() { return *doc.m_shapes[static_cast<size_t>(Below(static_cast<int>(doc.m_shapes.size())))]; }

    void AddRandomShape() {
        CShape& t = doc.m_current;
        t.m_nType = 1 + Below(5);
        const double height = Below(3) == 0 ? Uniform(-3000, 3000) : 0.0;
        for (Float3& p : t.m_pt) {
            p = Point(height);
        }
        switch (t.m_nType) {
            case SHAPE_CIRCLE:
            case SHAPE_ARC:
                t.m_pt[1] = {static_cast<float>(Uniform(-3000, 3000)), static_cast<float>(Uniform(-400, 400)),
                             static_cast<float>(Uniform(-400, 400))};
                break;
            case SHAPE_TEXT:
                t.m_pt[1] = {static_cast<float>(Uniform(100, 3000)), static_cast<float>(Uniform(-2000, 3000)),
                             static_cast<float>(Uniform(0, 360))};
                break;
            default:
                break;
        }
        doc.SetCurrentLayer(kLayers[Below(3)]);
        doc.SetCurrentText(t.m_nType == SHAPE_TEXT ? std::string(Below(2) ? "AB" : "\x88\x9f" "x") : "");
        doc.AddCurrentShape();
    }

    void EditAtRandom() {
        const int edit = doc.m_shapes.empty() ? 0 : Below(15) - 2;
        // Each edit a step of its own, so that undo takes back one at a time.
        std::optional<UndoStep> step;
        if (edit < 11) {
            step.emplace(doc.History(), StepKind::Edit);
        }
        switch (edit) {
            case -2:
            case -1:
            case 0:
            case 1:
            case 2:
                AddRandomShape();
                break;
            case 3:
                doc.TranslateShape(AnyShape(), {0, 0, 0}, Point());
                break;
            case 4:
                doc.SetShapePoints(AnyShape(), {Point(), Point(), Point(), Point()});
                break;
            case 5:
                for (int i = 0; i < 2; ++i) {
                    doc.SetSelected(AnyShape(), true);
                }
                doc.EraseSelected();
                break;
            case 6:
                doc.RemoveShape(&AnyShape());
                break;
            case 7:
                doc.InsertShape(static_cast<size_t>(Below(static_cast<int>(doc.m_shapes.size()))),
                                AnyShape());
                break;
            case 8:
                doc.AddTranslatedCopy(AnyShape(), {0, 0, 0}, Point());
                break;
            case 9:
                SetLayerVisible(Below(3), Below(2) == 0);
                break;
            case 10:
                if (Below(150) == 0) {
                    // A drawing read from a file replaces the list as a whole.
                    ShapeList read;
                    for (int i = 0; i < 40; ++i) {
                        CShape& s = read.AppendEmpty();
                        s.m_nType = SHAPE_LINE;
                        s.m_strLayer = kLayers[Below(3)];
                        s.m_pt[0] = Point();
                        s.m_pt[1] = Point();
                    }
                    doc.ReplaceShapes(std::move(read));
                } else {
                    doc.SetSelected(AnyShape(), Below(2) == 0);
                }
                break;
            case 11:
            case 12: {
                // Shapes taken out and put back at their places, moves and layers taken
                // back, and done again.
                const int steps = 1 + Below(4);
                for (int i = 0; i < steps; ++i) {
                    undone += doc.History().Undo() ? 1 : 0;
                }
                for (int i = edit == 12 ? Below(steps + 1) : 0; i > 0; --i) {
                    redone += doc.History().Redo() ? 1 : 0;
                }
                break;
            }
        }
        g_displayListValid = 0;  // as every command ends an edit
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    CZorader_ezDoc doc;
    std::mt19937 random{20240611};
    int undone = 0;
    int redone = 0;
};

}  // namespace marquetta
