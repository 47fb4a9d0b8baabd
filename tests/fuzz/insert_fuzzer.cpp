// Inserting a drawing file over arbitrary bytes: a file that fails adds nothing; one
// read whole adds its shapes selected after the drawing's own, which stay as they were,
// and never grows the layer table past what the insert may create.
#include <algorithm>
#include <vector>

#include "exchange/insert_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marquetta;
    using namespace marquetta::fuzz;
    StartRun();
    CZorader_ezDoc doc;
    AddStartingShapes(doc);
    std::vector<CShape> before;
    for (const auto& shape : doc.m_shapes) {
        before.push_back(*shape);
    }
    const LayerSnapshot layers;

    const InsertResult result = InsertDrawingBytes(doc, AsText(data, size), "fuzz.trn");
    if (!result.inserted) {
        FUZZ_CHECK(!result.message.text.empty());
        FUZZ_CHECK(doc.m_shapes.size() == before.size() && layers.Unchanged());
        return 0;
    }
    FUZZ_CHECK(doc.m_shapes.size() == before.size() + result.shapesAdded);
    FUZZ_CHECK(g_layerCount == layers.count + result.layersAdded);
    FUZZ_CHECK(g_layerCount <= std::max(layers.count, kMaxEnsuredLayers));
    auto it = doc.m_shapes.begin();
    for (const CShape& shape : before) {
        FUZZ_CHECK(SameShape(shape, **it));
        ++it;
    }
    for (; it != doc.m_shapes.end(); ++it) {
        FUZZ_CHECK((*it)->IsSelected());
    }
    FUZZ_CHECK(doc.m_current.m_nType == SHAPE_NONE);
    return 0;
}
