// DXF import over arbitrary bytes. A file that fails leaves the drawing and the layer
// table as they were and says why; a file read to its end replaces the drawing with
// shapes of the kinds the drawing holds, on layers of the table, at finite points.
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

    const DxfImportResult result =
        ImportDxfBytes(doc, AsText(data, size), "fuzz.dxf", [&] { ++cancelled; });
    FUZZ_CHECK(cancelled == 1);
    if (!result.replaced) {
        FUZZ_CHECK(!result.message.text.empty());
        FUZZ_CHECK(SameShapes(doc, before) && layers.Unchanged());
        return 0;
    }
    FUZZ_CHECK(doc.m_shapes.size() == result.shapesMade);
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
        for (const Float3& p : shape->m_pt) {
            FUZZ_CHECK(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        }
    }
    return 0;
}
