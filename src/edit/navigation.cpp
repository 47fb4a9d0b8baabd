#include "edit/navigation.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "edit/cursor_readout.h"
#include "edit/dimension_commands.h"
#include "edit/draw_commands.h"
#include "edit/editing_state.h"
#include "edit/picking.h"
#include "edit/snap_settings.h"
#include "edit/view.h"
#include "edit/zoom_fit.h"
#include "platform/command_ids.h"
#include "platform/keys.h"
#include "view/camera.h"
#include "view/gl_matrix.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

// The pointer of the view whenever navigation does not hold it.
constexpr CursorShape kViewCursor = CursorShape::Arrow;
constexpr CursorShape kPanCursor = CursorShape::SizeAll;
constexpr CursorShape kZoomCursor = CursorShape::SizeVertical;
constexpr CursorShape kRightDragCursor = CursorShape::SizeDiagonal;

}  // namespace

bool CameraTakes(double value) {
    return CameraTakes(value, 0.0);
}

bool CameraTakes(double a, double b) {
    if (FitsFloat(a) && FitsFloat(b)) {
        return true;
    }
    CurrentPlatform().SetPrompt(kPromptViewLimit);
    return false;
}

void FollowZoom(double oldZ, double newZ) {
    const double cx = g_viewWidth * 0.5;
    const double cy = g_viewHeight * 0.5;
    firstScreenPoint.x = cx + (firstScreenPoint.x - cx) * oldZ / newZ;
    firstScreenPoint.y = cy + (firstScreenPoint.y - cy) * oldZ / newZ;
}

void ZoomBy(double amount, double perUnit) {
    const double oldZ = g_viewTranslate.z;
    const double newZ = oldZ + (-oldZ) * amount * perUnit;
    if (-newZ > kClosestViewingDistance && CameraTakes(newZ)) {
        g_viewTranslate.z = static_cast<float>(newZ);
        FollowZoom(oldZ, newZ);
    }
    CurrentPlatform().InvalidateView();
}

void ZoomAt(double amount, double perUnit, int x, int y) {
    if (g_viewWidth <= 0.0 || g_viewHeight <= 0.0) {
        ZoomBy(amount, perUnit);
        return;
    }
    const double oldZ = g_viewTranslate.z;
    const double newZ = oldZ + (-oldZ) * amount * perUnit;
    // The pixel as a share of the half window, right and up positive.
    const double ndcX = 2.0 * x / g_viewWidth - 1.0;
    const double ndcY = 1.0 - 2.0 * y / g_viewHeight;
    const double halfHeight = std::tan(g_paintFov * 0.5 * kGlPi / 180.0);
    // The eye-space point under the pixel at depth oldZ keeps its direction from the eye
    // when the camera moves by (dx, dy, newZ - oldZ).
    const double dx = -ndcX * halfHeight * g_viewAspect * (newZ - oldZ);
    const double dy = -ndcY * halfHeight * (newZ - oldZ);
    const double tx = g_viewTranslate.x + dx;
    const double ty = g_viewTranslate.y + dy;
    if (-newZ > kClosestViewingDistance && CameraTakes(newZ) && CameraTakes(tx, ty)) {
        g_viewTranslate = {static_cast<float>(tx), static_cast<float>(ty), static_cast<float>(newZ)};
        firstScreenPoint.x = x + (firstScreenPoint.x - x) * oldZ / newZ;
        firstScreenPoint.y = y + (firstScreenPoint.y - y) * oldZ / newZ;
    }
    CurrentPlatform().InvalidateView();
}

void PanBy(int dx, int dy) {
    const double distance = -g_viewTranslate.z;
    const double y = g_viewTranslate.y + distance * dy * kPanPerPixel;
    const double x = g_viewTranslate.x + distance * dx * kPanPerPixel;
    if (!CameraTakes(x, y)) {
        return;
    }
    g_viewTranslate.y = static_cast<float>(y);
    g_viewTranslate.x = static_cast<float>(x);
    firstScreenPoint.x += dx;
    firstScreenPoint.y -= dy;
    CurrentPlatform().InvalidateView();
}

void CZorader_ezView::RegisterNavigationCommands() {
    m_commands.On(ID_VIEW_MOVE, [this] { OnViewMove(); });
    m_commands.On(ID_VIEW_ZOOM, [this] { OnViewZoom(); });
    m_commands.On(ID_ZOOM_FIT, [this] { ZoomToFit(m_doc); });
}

void CZorader_ezView::OnViewMove() {
    m_nav.moveViewArmed = 1;
    TakeCursor(kPanCursor);
}

void CZorader_ezView::OnViewZoom() {
    m_nav.zoomMode = 1;
    TakeCursor(kZoomCursor);
}

void CZorader_ezView::TakeCursor(CursorShape shape) {
    Platform& platform = CurrentPlatform();
    platform.SetCursor(shape);
    if (!m_nav.cursorTaken) {
        platform.CaptureMouse();
        m_nav.cursorTaken = true;
    }
}

void CZorader_ezView::ReturnCursorIfIdle() {
    const bool busy =
        m_nav.moveViewArmed != 0 || m_nav.zoomMode != 0 || m_nav.panDrag != 0 || m_nav.rightDrag;
    if (busy || !m_nav.cursorTaken) {
        return;
    }
    Platform& platform = CurrentPlatform();
    platform.SetCursor(kViewCursor);
    platform.ReleaseMouse();
    m_nav.cursorTaken = false;
}

bool CZorader_ezView::NavigationLeftDown(int x, int y) {
    if (m_nav.Guard()) {
        return false;
    }
    if (m_nav.moveViewArmed == 1) {
        m_nav.panDrag = 1;
        m_nav.lastMouseX = x;
        m_nav.lastMouseY = y;
    }
    if (m_nav.zoomMode == 1) {
        stepPending = 1;
        m_nav.lastMouseX = x;
        m_nav.lastMouseY = y;
        m_nav.zoomMode = 2;
    }
    return true;
}

void CZorader_ezView::OnLButtonUp(int x, int y) {
    if (m_nav.windowPressed) {
        m_nav.windowPressed = false;
        const bool dragged = std::abs(x - m_nav.windowPressX) >= kWindowDragPixels ||
                             std::abs(y - m_nav.windowPressY) >= kWindowDragPixels;
        if (dragged && stepPending == 1) {
            computeCursorPoint(x, y, false);
            SecondStep(x, y);
            return;
        }
    }
    bool applied = false;
    if (m_nav.moveViewArmed == 1) {
        m_nav.panDrag = 0;
        m_nav.moveViewArmed = 0;
        applied = true;
    }
    // Only the left zoom: a Ctrl+right zoom ends with its own button.
    if (m_nav.zoomMode == 1 || m_nav.zoomMode == 2) {
        m_nav.zoomMode = 0;
        if (rubberBand == 0) {
            stepPending = 0;
        }
        applied = true;
    }
    if (applied) {
        ReturnCursorIfIdle();
    }
}

void CZorader_ezView::OnMButtonDown(int x, int y) {
    if (!m_nav.Guard() || m_nav.panDrag != 0) {
        return;
    }
    m_nav.panDrag = 1;
    m_nav.middleDrag = true;
    m_nav.lastMouseX = x;
    m_nav.lastMouseY = y;
    TakeCursor(kPanCursor);
}

void CZorader_ezView::OnMButtonUp(int, int) {
    if (!m_nav.middleDrag) {
        return;
    }
    m_nav.middleDrag = false;
    m_nav.panDrag = 0;
    ReturnCursorIfIdle();
}

void CZorader_ezView::OnRButtonDown(int x, int y, int modifiers, int buttons) {
    m_nav.rightPressIgnored = true;
    if (!m_nav.Guard()) {
        return;
    }
    const bool onlyRight = (buttons | MOUSE_RIGHT) == MOUSE_RIGHT;
    const int keys = modifiers & (MOD_SHIFT | MOD_CTRL);
    if (onlyRight && keys == MOD_SHIFT) {
        m_nav.rightPressIgnored = false;
        m_nav.panDrag = 2;
        m_nav.lastMouseX = x;
        m_nav.lastMouseY = y;
        TakeCursor(kPanCursor);
        return;
    }
    if (onlyRight && keys == MOD_CTRL) {
        // The zoom drag borrows stepPending so that mouse moves zoom; it gives it back
        // at the release.
        m_nav.rightPressIgnored = false;
        stepPending += 1;
        m_nav.zoomMode = 3;
        m_nav.lastMouseX = x;
        m_nav.lastMouseY = y;
        TakeCursor(kZoomCursor);
        return;
    }
    if (keys != 0) {
        return;  // with Shift or Ctrl held a right click never edits
    }
    m_nav.rightPressIgnored = false;
    if (EditingRightDown()) {
        m_nav.rightDrag = true;
        m_nav.lastMouseX = x;
        m_nav.lastMouseY = y;
        TakeCursor(kRightDragCursor);
    }
}

void CZorader_ezView::OnRButtonUp(int, int) {
    if (m_nav.panDrag == 2) {
        m_nav.panDrag = 0;
        ReturnCursorIfIdle();
        return;
    }
    if (m_nav.zoomMode == 3) {
        m_nav.zoomMode = 0;
        // Esc during the drag may have cleared the step already.
        if (stepPending > 0) {
            stepPending -= 1;
        }
        ReturnCursorIfIdle();
        return;
    }
    if (m_nav.rightPressIgnored) {
        m_nav.rightPressIgnored = false;
        return;
    }
    if (!m_nav.Guard()) {
        return;
    }
    EditingRightUp();
    if (m_nav.rightDrag) {
        m_nav.rightDrag = false;
        ReturnCursorIfIdle();
    }
}

void CZorader_ezView::OnMouseMove(int x, int y) {
    std::optional<SnapHit> hit;  // the preview's snap target, when it took one
    bool snapped = false;
    if (m_nav.panDrag >= 1) {
        PanBy(x - m_nav.lastMouseX, m_nav.lastMouseY - y);
        m_nav.lastMouseX = x;
        m_nav.lastMouseY = y;
    }
    if (stepPending >= 1) {
        if (m_nav.zoomMode >= 2) {
            ZoomBy(m_nav.lastMouseY - y, kZoomPerPixel);
            m_nav.lastMouseX = x;
            m_nav.lastMouseY = y;
        }
        if (rubberBand == 1 && computeCursorPoint(x, y, false)) {
            // The preview shows where a click would land: on the forced line of ortho,
            // at the snap target.
            const Double3* from = TakesPoint(m_doc) ? &firstPoint : nullptr;
            if (from != nullptr && g_orthoOn == 1) {
                cursorPoint = OrthoPoint(*from, cursorPoint);
            }
            if (g_snapOn == 1) {
                hit = SnapForStep(m_doc, x, y, from);
                snapped = from != nullptr;
                if (hit) {
                    cursorPoint = hit->point;
                }
            }
        }
    }
    MarkSnapTarget(x, y, snapped ? &hit : nullptr);
    // After any pan, so that the readout names the point now under the cursor.
    Double3 ground;
    if (GroundPointUnder(x, y, ground)) {
        m_hover = ground;
    }
}

void CZorader_ezView::OnMouseWheel(int delta, int x, int y) {
    ZoomAt(delta, kZoomPerWheelUnit, x, y);
}

void CZorader_ezView::MarkSnapTarget(int x, int y, const std::optional<SnapHit>* known) {
    SnapMarker marker;
    if (g_snapOn == 1 && TakesPoint(m_doc)) {
        const bool second = stepPending >= 1 && rubberBand == 1;
        const std::optional<SnapHit> hit =
            known != nullptr ? *known : SnapForStep(m_doc, x, y, second ? &firstPoint : nullptr);
        if (hit && hit->kind != SnapKind::Grid) {
            marker = SnapMarker{true, hit->kind, hit->point};
        }
    }
    if (marker.shown != snapMarker.shown || marker.kind != snapMarker.kind ||
        !(marker.point == snapMarker.point)) {
        snapMarker = marker;
        CurrentPlatform().InvalidateView();
    }
}

std::string CZorader_ezView::CursorReadoutText() const {
    if (!m_hover) {
        return {};
    }
    const std::string readout = CursorReadout(*m_hover, basePointSet == 1 ? &firstPoint : nullptr) +
                                MeasureReadout(*m_hover);
    // The status bar names the snap target under the cursor.
    const bool marked = snapMarker.shown && g_snapOn == 1 && TakesPoint(m_doc);
    return marked ? std::string(SnapKindName(snapMarker.kind)) + "  " + readout : readout;
}

}  // namespace marquetta
