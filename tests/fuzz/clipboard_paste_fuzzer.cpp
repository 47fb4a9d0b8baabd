// The clipboard's shape format over arbitrary bytes, read, checked and merged as a paste
// does: bytes that fail, or hold shapes no drawing holds, leave the drawing as it was;
// a paste adds the shapes read, selected, on layers of the table; undoing it gives back
// the drawing and the layer table as they were, and redoing it the pasted drawing.
#include <vector>

#include "exchange/insert_file.h"
#include "fuzz_support.h"
#include "model/native_file.h"
#include "model/undo_history.h"

namespace {

std::vector<marquetta::CShape> Copies(const marquetta::CZorader_ezDoc& doc) {
    std::vector<marquetta::CShape> shapes;
    for (const auto& shape : doc.m_shapes) {
        shapes.push_back(*shape);
    }
    return shapes;
}

bool Same(const std::vector<marquetta::CShape>& shapes, const marquetta::CZorader_ezDoc& doc) {
    if (shapes.size() != doc.m_shapes.size()) {
        return false;
    }
    auto it = shapes.begin();
    for (const auto& shape : doc.m_shapes) {
        if (!marquetta::fuzz::SameShape(*it++, *shape)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marquetta;
    using namespace marquetta::fuzz;
    StartRun();
    CZorader_ezDoc doc;
    AddStartingShapes(doc);
    doc.History().Clear();
    const std::vector<CShape> before = Copies(doc);
    const LayerSnapshot layers;

    DrawingFileContents contents;
    if (ReadDrawingBytes(AsText(data, size), contents) != FileError::None ||
        contents.banner != g_fileBanner || !ClipboardContentsProblem(contents).empty() ||
        contents.shapes.empty()) {
        FUZZ_CHECK(Same(before, doc) && layers.Unchanged());
        return 0;
    }
    {
        UndoStep step(doc.History(), StepKind::Paste);
        doc.DeselectAll();
        InsertResult merged;
        MergeDrawingContents(doc, contents, merged);
        FUZZ_CHECK(merged.shapesAdded == contents.shapes.size());
    }
    FUZZ_CHECK(doc.m_shapes.size() == before.size() + contents.shapes.size());
    FUZZ_CHECK(g_layerCount >= layers.count && g_layerCount <= kMaxEnsuredLayers);
    size_t i = 0;
    for (const auto& shape : doc.m_shapes) {
        if (i >= before.size()) {
            const CShape& read = contents.shapes[i - before.size()];
            FUZZ_CHECK(shape->m_bSelected == 1 && shape->m_nType == read.m_nType);
            FUZZ_CHECK(shape->m_strLayer == read.m_strLayer && shape->m_strText == read.m_strText);
            FUZZ_CHECK(SameBits(shape->m_pt, read.m_pt, sizeof read.m_pt));
            // What the placement's base and every moved point come from is a number.
            FUZZ_CHECK(ClipboardShapeProblem(*shape).empty());
        }
        ++i;
    }
    const std::vector<CShape> pasted = Copies(doc);
    const LayerSnapshot pastedLayers;

    FUZZ_CHECK(doc.History().Undo());
    FUZZ_CHECK(Same(before, doc) && layers.Unchanged());
    FUZZ_CHECK(doc.History().Redo());
    FUZZ_CHECK(Same(pasted, doc) && pastedLayers.Unchanged());
    return 0;
}
