// The text import over arbitrary file bytes: every text holds one to 255 bytes of one
// line, the line numbers grow, each text becomes one shape, and the stroke font lays
// each out.
#include <vector>

#include "fuzz_support.h"
#include "text/text_layout.h"
#include "ui/text_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marquetta;
    using namespace marquetta::fuzz;
    StartRun();
    const std::vector<ImportedLine> lines = ReadTextLines(AsText(data, size));
    size_t bytes = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& text = lines[i].text;
        FUZZ_CHECK(!text.empty() && text.size() <= kImportedLinePiece);
        FUZZ_CHECK(text.find('\n') == std::string::npos);
        FUZZ_CHECK(i == 0 || lines[i].number > lines[i - 1].number);
        bytes += text.size();
    }
    // Only a conversion from UTF-8 may make more bytes than the file holds, and never
    // more than two for each one of its characters.
    FUZZ_CHECK(bytes <= 2 * size);

    CZorader_ezDoc doc;
    FUZZ_CHECK(AddImportedTexts(doc, lines) == lines.size());
    FUZZ_CHECK(doc.m_shapes.size() == lines.size());
    FUZZ_CHECK(doc.m_current.m_nType == SHAPE_NONE);
    std::vector<float> batch;
    const TextTarget view = TextTarget::View(batch);
    auto line = lines.begin();
    for (const auto& shape : doc.m_shapes) {
        FUZZ_CHECK(shape->m_nType == SHAPE_TEXT && shape->m_strText == line->text);
        FUZZ_CHECK(shape->m_strLayer == "0");
        const Float3& p = shape->m_pt[0];
        const Float3& s = shape->m_pt[1];
        FUZZ_CHECK(DrawStrokeText(shape->m_strText, p.x, p.z, s.x, s.y, s.z, view) == 1);
        ++line;
    }
    return 0;
}
