#include "ui/keyboard.h"

#include <cstdio>

#include "edit/cursor_readout.h"
#include "edit/editing_state.h"
#include "edit/navigation.h"
#include "edit/view.h"
#include "exchange/command_message.h"
#include "model/layers.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "ui/text_import.h"
#include "view/camera.h"

namespace marquetta {

void ZoomByKey(double factor) {
    const double oldZ = g_viewTranslate.z;
    const double newZ = factor * oldZ;
    // Zooming out for long enough would overflow the distance and lose the picture
    // until Home; the step that would is not taken.
    if (CameraTakes(newZ)) {
        const auto stored = static_cast<float>(newZ);
        if (-stored > kClosestViewingDistance) {
            g_viewTranslate.z = stored;
            FollowZoom(oldZ, stored);
        }
    }
    CurrentPlatform().InvalidateView();
}

void PanByKey(int key) {
    const double step = -g_viewTranslate.z * kKeyPanShare;
    Float3& t = g_viewTranslate;
    // The coordinate that moves, its new value, and where the first screen point goes.
    float* moving = nullptr;
    double to = 0.0;
    Double2 screen = firstScreenPoint;
    switch (key) {
        case KEY_LEFT:
            moving = &t.x;
            to = t.x + step;
            screen.x += kKeyPanPixels;
            break;
        case KEY_RIGHT:
            moving = &t.x;
            to = t.x - step;
            screen.x -= kKeyPanPixels;
            break;
        case KEY_UP:
            moving = &t.y;
            to = t.y - step;
            screen.y += kKeyPanPixels;
            break;
        case KEY_DOWN:
            moving = &t.y;
            to = t.y + step;
            screen.y -= kKeyPanPixels;
            break;
        default:
            return;
    }
    // Far out, a few presses would pass the largest float and lose the picture.
    if (CameraTakes(to)) {
        *moving = static_cast<float>(to);
        firstScreenPoint = screen;
    }
    CurrentPlatform().InvalidateView();
}

namespace {

std::string Values(const char* format, double a, double b, double c) {
    // Room for three floats printed in full (up to 47 characters each) and the labels.
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

Double3 PointOf(const Float3& p) { return Double3{p.x, p.y, p.z}; }

}  // namespace

std::optional<std::string> ShapeInformation(const CZorader_ezDoc& doc) {
    int count = 0;
    for (const auto& shape : doc.m_shapes) {
        ++count;
        if (!shape->IsSelected() || !IsLayerVisible(shape->m_strLayer)) {
            continue;
        }
        const Float3& a = shape->m_pt[0];
        const Float3& b = shape->m_pt[1];
        std::string text = "図形 " + std::to_string(count) + "（";
        switch (shape->m_nType) {
            case SHAPE_LINE:
                return text + "直線）\n始点: " + PlanPointText(PointOf(a)) + "\n終点: " +
                       PlanPointText(PointOf(b));
            case SHAPE_CIRCLE:
                return text + "円）\n中心: " + PlanPointText(PointOf(a)) + "\n" +
                       Values("半径=%.3f", b.x, 0.0, 0.0);
            case SHAPE_ARC:
                return text + "円弧）\n中心: " + PlanPointText(PointOf(a)) + "\n" +
                       Values("半径=%.3f 開始角=%.3f° 終了角=%.3f°", b.x, b.y, b.z);
            case SHAPE_TEXT:
                return text + "文字）\n位置: " + PlanPointText(PointOf(a)) + "\n" +
                       Values("高さ=%.3f 幅=%.3f 角度=%.3f°", b.x, b.y, b.z);
            case SHAPE_FACE:
                return text + "面）\n点1: " + PlanPointText(PointOf(a)) + "\n点2: " +
                       PlanPointText(PointOf(b));
            default:
                return text + "種類 " + std::to_string(shape->m_nType) + "）\n点1: " +
                       PlanPointText(PointOf(a)) + "\n点2: " + PlanPointText(PointOf(b));
        }
    }
    return std::nullopt;
}

const std::vector<ViewKey>& ViewKeyTable() {
    using View = CZorader_ezView;
    static const std::vector<ViewKey> table = {
        {KEY_RETURN, "Enter", [](View& view) { view.OnCancel(); }},
        {KEY_HOME, "Home", [](View&) { ResetCamera(); }},
        {KEY_PAGE_UP, "Page Up", [](View&) { ZoomByKey(kKeyZoomIn); }},
        {KEY_PAGE_DOWN, "Page Down", [](View&) { ZoomByKey(kKeyZoomOut); }},
        {KEY_LEFT, "←", [](View&) { PanByKey(KEY_LEFT); }},
        {KEY_RIGHT, "→", [](View&) { PanByKey(KEY_RIGHT); }},
        {KEY_UP, "↑", [](View&) { PanByKey(KEY_UP); }},
        {KEY_DOWN, "↓", [](View&) { PanByKey(KEY_DOWN); }},
        {'D', "D",
         [](View&) {
             if (arcStartGiven == 1) {
                 arcReversed = arcReversed == 1 ? 0 : 1;
                 CurrentPlatform().InvalidateView();
             }
         }},
        {'M', "M",
         [](View&) {
             if (editState == EDIT_COPY) {
                 continuousCopy = 1;
             }
         }},
        {'0', "0",
         [](View& view) {
             if (const std::optional<std::string> text = ShapeInformation(view.GetDocument())) {
                 CurrentPlatform().MessageBox(*text, kApplicationCaption, MessageIcon::None,
                                              MessageButtons::Ok);
             }
         }},
        {'9', "9", [](View& view) { RunTextImport(view.GetDocument()); }},
    };
    return table;
}

std::string KeyName(int key, int modifiers) {
    std::string name;
    if ((modifiers & MOD_CTRL) != 0) {
        name += "Ctrl+";
    }
    if ((modifiers & MOD_ALT) != 0) {
        name += "Alt+";
    }
    if ((modifiers & MOD_SHIFT) != 0) {
        name += "Shift+";
    }
    for (const ViewKey& viewKey : ViewKeyTable()) {
        if (viewKey.key == key) {
            return name + viewKey.name;
        }
    }
    switch (key) {
        case KEY_BACKSPACE:
            return name + "Backspace";
        case KEY_ESCAPE:
            return name + "Esc";
        case KEY_INSERT:
            return name + "Insert";
        case KEY_DELETE:
            return name + "Delete";
        case KEY_F6:
            return name + "F6";
        case KEY_F8:
            return name + "F8";
        default:
            break;
    }
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        return name + static_cast<char>(key);
    }
    return {};
}

void CZorader_ezView::OnKeyDown(int key) {
    for (const ViewKey& viewKey : ViewKeyTable()) {
        if (viewKey.key == key) {
            viewKey.action(*this);
            return;
        }
    }
}

}  // namespace marquetta
