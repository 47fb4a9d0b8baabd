// What the fuzz targets share: the program's state as at start-up with the headless
// platform, a check that stops the run as a finding, and comparisons that treat two
// NaNs with the same bits as equal.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "app/program_defaults.h"
#include "model/document.h"
#include "model/layers.h"
#include "platform/platform.h"

// A broken promise of the code under test: reported and ended like a crash, so that
// libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (false)

namespace marquetta::fuzz {

// Every run starts from the start-up state, with a platform that cancels every dialog
// and records what it was asked.
inline HeadlessPlatform& StartRun() {
    static HeadlessPlatform* platform = [] {
        // No target starts a program: without a PATH the start-up state does not look
        // for the renderer on every run.
        ::setenv("PATH", "", 1);
        auto* p = new HeadlessPlatform;
        SetCurrentPlatform(p);
        return p;
    }();
    platform->ClearCalls();
    InitProgramDefaults();
    return *platform;
}

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

inline bool SameBits(const void* a, const void* b, size_t n) {
    return std::memcmp(a, b, n) == 0;
}

inline bool SameShape(const CShape& a, const CShape& b) {
    return a.m_nType == b.m_nType && a.m_bSelected == b.m_bSelected &&
           a.m_strLayer == b.m_strLayer && SameBits(a.m_attr, b.m_attr, sizeof a.m_attr) &&
           SameBits(a.m_reserved, b.m_reserved, sizeof a.m_reserved) &&
           SameBits(a.m_pt, b.m_pt, sizeof a.m_pt) &&
           SameBits(a.m_normal, b.m_normal, sizeof a.m_normal) && a.m_strText == b.m_strText;
}

// The shapes of two drawings, in list order.
inline bool SameShapes(const CZorader_ezDoc& a, const CZorader_ezDoc& b) {
    if (a.m_shapes.size() != b.m_shapes.size()) {
        return false;
    }
    auto other = b.m_shapes.begin();
    for (const auto& shape : a.m_shapes) {
        if (!SameShape(*shape, **other)) {
            return false;
        }
        ++other;
    }
    return true;
}

// The layer table as a whole, for before-and-after comparisons.
struct LayerSnapshot {
    int count = g_layerCount;
    decltype(g_layerNames) names = g_layerNames;
    decltype(g_layerAttributes) attributes = g_layerAttributes;
    decltype(g_layerTextures) textures = g_layerTextures;

    bool Unchanged() const {
        return count == g_layerCount && names == g_layerNames &&
               SameBits(&attributes, &g_layerAttributes, sizeof attributes) &&
               textures == g_layerTextures;
    }
};

// A small drawing to read into: two layers and one shape of each kind but faces.
inline void AddStartingShapes(CZorader_ezDoc& doc) {
    EnsureLayer("0");
    EnsureLayer("walls");
    for (int type = SHAPE_LINE; type <= SHAPE_TEXT; ++type) {
        if (type == SHAPE_FACE) {
            continue;
        }
        doc.m_current.m_nType = type;
        doc.SetCurrentLayer(type % 2 == 0 ? "0" : "walls");
        doc.m_current.m_pt[0] = {100.0f * type, 0.0f, -50.0f};
        doc.m_current.m_pt[1] = {300.0f, 10.0f, 80.0f};
        doc.SetCurrentText(type == SHAPE_TEXT ? "plan" : "");
        doc.AddCurrentShape();
    }
    doc.m_current.m_nType = SHAPE_NONE;
    doc.SetModifiedFlag(false);
}

}  // namespace marquetta::fuzz
