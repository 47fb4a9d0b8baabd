#include "edit/snap_settings.h"

#include "platform/platform.h"

namespace marquetta {

int g_snapKinds = SnapBit(SnapKind::Endpoint);
int g_orthoOn = 0;
SnapMarker snapMarker;

namespace {

constexpr const char* kSettingsSection = "Snap";
constexpr const char* kKindKeys[kSwitchableSnapKinds] = {"Endpoint", "Intersection", "Midpoint",
                                                        "Center",   "Perpendicular", "Nearest"};
constexpr const char* kOrthoKey = "Ortho";
constexpr int kDefaultKinds = SnapBit(SnapKind::Endpoint);

const char* OnOff(bool on) {
    return on ? "1" : "0";
}

}  // namespace

const char* SnapKindName(SnapKind kind) {
    switch (kind) {
        case SnapKind::Endpoint:
            return "端点";
        case SnapKind::Intersection:
            return "交点";
        case SnapKind::Midpoint:
            return "中点";
        case SnapKind::Center:
            return "中心";
        case SnapKind::Perpendicular:
            return "垂線";
        case SnapKind::Nearest:
            return "近接点";
        default:
            return "";
    }
}

void InitSnapDefaults() {
    g_snapKinds = kDefaultKinds;
    g_orthoOn = 0;
    snapMarker = SnapMarker{};
}

void LoadSnapSettings() {
    Platform& platform = CurrentPlatform();
    for (int k = 0; k < kSwitchableSnapKinds; ++k) {
        const std::string stored = platform.ReadSetting(kSettingsSection, kKindKeys[k]);
        const bool on = stored.empty() ? (kDefaultKinds & (1 << k)) != 0 : stored == "1";
        g_snapKinds = on ? (g_snapKinds | (1 << k)) : (g_snapKinds & ~(1 << k));
    }
    g_orthoOn = platform.ReadSetting(kSettingsSection, kOrthoKey) == "1" ? 1 : 0;
}

bool SnapKindOn(SnapKind kind) {
    return (g_snapKinds & SnapBit(kind)) != 0;
}

void ToggleSnapKind(SnapKind kind) {
    g_snapKinds ^= SnapBit(kind);
    CurrentPlatform().WriteSetting(kSettingsSection, kKindKeys[static_cast<int>(kind)],
                                   OnOff(SnapKindOn(kind)));
}

void ToggleOrtho() {
    g_orthoOn = g_orthoOn == 1 ? 0 : 1;
    CurrentPlatform().WriteSetting(kSettingsSection, kOrthoKey, OnOff(g_orthoOn == 1));
}

}  // namespace marquetta
