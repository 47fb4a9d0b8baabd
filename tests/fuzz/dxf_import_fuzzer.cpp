// DXF import over arbitrary bytes. A file that fails (or whose blocks grow past the
// bound) leaves the drawing and the layer table as they were and says why; a file read
// to its end replaces the drawing with shapes of the kinds the drawing holds, on layers
// of the table, at finite points with finite normals.
#include <cmath>

#include "exchange/dxf_import.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marquetta;
    using namespace marquetta::fuzz;
    StartRun();
    CZorader_ezDoc doc;
    AddStartingShapes(doc);
    CZorader_ezDoc before;
    AddStartingShapes(before);
    const LayerSnapshot layers;
    int cancelled = 0;

    // Blocks may expand to this many shapes here: enough to nest and repeat them, and
    // a run stays within the fuzzer's time and memory.
    constexpr uint64_t kBound = 20'000;
    const DxfImportResult result =
        ImportDxfBytes(doc, AsText(data, size), "fuzz.dxf", [&] { ++cancelled; }, kBound);
    FUZZ_CHECK(cancelled == 1);
    if (!result.replaced) {
        FUZZ_CHECK(!result.message.text.empty());
        FUZZ_CHECK(SameShapes(doc, before) && layers.Unchanged());
        return 0;
    }
    FUZZ_CHECK(doc.m_shapes.size() == result.shapesMade);
    // The report names what was left out; an import that left nothing out has none.
    FUZZ_CHECK(result.report.empty() || result.report.rfind("取り込めなかった図形: ", 0) == 0);
    FUZZ_CHECK(std::isfinite(result.movedX) && std::isfinite(result.movedY));
    FUZZ_CHECK(doc.m_current.m_nType == SHAPE_NONE);
    FUZZ_CHECK(g_layerCount >= 0 && g_layerCount <= kLayerSlots);
    for (const auto& shape : doc.m_shapes) {
        const int type = shape->m_nType;
        FUZZ_CHECK(type == SHAPE_LINE || type == SHAPE_CIRCLE || type == SHAPE_ARC ||
                   type == SHAPE_TEXT || type == SHAPE_FACE);
        bool known = false;
        for (int i = 0; i < g_layerCount && !known; ++i) {
            known = g_layerNames[i] == shape->m_strLayer;
        }
        FUZZ_CHECK(known);
        for (const Float3* points : {shape->m_pt, shape->m_normal}) {
            for (int i = 0; i < 4; ++i) {
                const Float3& p = points[i];
                FUZZ_CHECK(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
            }
        }
    }
    return 0;
}
