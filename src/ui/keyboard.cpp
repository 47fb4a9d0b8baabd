#include "ui/keyboard.h"

#include <cstdio>
#include <limits>

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
    if (-newZ <= std::numeric_limits<float>::max()) {
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
    switch (key) {
        case KEY_LEFT:
            t.x = static_cast<float>(t.x + step);
            firstScreenPoint.x += kKeyPanPixels;
            break;
        case KEY_RIGHT:
            t.x = static_cast<float>(t.x - step);
            firstScreenPoint.x -= kKeyPanPixels;
            break;
        case KEY_UP:
            t.y = static_cast<float>(t.y - step);
            firstScreenPoint.y += kKeyPanPixels;
            break;
        case KEY_DOWN:
            t.y = static_cast<float>(t.y + step);
            firstScreenPoint.y -= kKeyPanPixels;
            break;
        default:
            return;
    }
    CurrentPlatform().InvalidateView();
}

std::optional<std::string> ShapeInformation(const CZorader_ezDoc& doc) {
    int count = 0;
    for (const auto& shape : doc.m_shapes) {
        ++count;
        if (!shape->IsSelected() || !IsLayerVisible(shape->m_strLayer)) {
            continue;
        }
        const Float3& a = shape->m_pt[0];
        const Float3& b = shape->m_pt[1];
        // Room for six floats printed in full, the largest take 47 characters each.
        char text[400];
        std::snprintf(text, sizeof text, "%d %d\n%f %f %f\n%f %f %f", count, shape->m_nType, a.x,
                      a.y, a.z, b.x, b.y, b.z);
        return std::string(text);
    }
    return std::nullopt;
}

void CZorader_ezView::OnKeyDown(int key) {
    switch (key) {
        case KEY_RETURN:
            OnCancel();
            break;
        case KEY_HOME:
            ResetCamera();
            break;
        case KEY_PAGE_UP:
            ZoomByKey(kKeyZoomIn);
            break;
        case KEY_PAGE_DOWN:
            ZoomByKey(kKeyZoomOut);
            break;
        case KEY_LEFT:
        case KEY_RIGHT:
        case KEY_UP:
        case KEY_DOWN:
            PanByKey(key);
            break;
        case 'D':
            if (arcStartGiven == 1) {
                arcReversed = arcReversed == 1 ? 0 : 1;
                CurrentPlatform().InvalidateView();
            }
            break;
        case 'M':
            if (editState == EDIT_COPY) {
                continuousCopy = 1;
            }
            break;
        case '0':
            if (const std::optional<std::string> text = ShapeInformation(m_doc)) {
                CurrentPlatform().MessageBox(*text, kApplicationCaption, MessageIcon::None,
                                             MessageButtons::Ok);
            }
            break;
        case '9':
            RunTextImport(m_doc);
            break;
        default:
            break;
    }
}

}  // namespace marquetta
