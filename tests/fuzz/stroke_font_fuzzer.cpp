// The stroke font's lookup, decoding and text layout over an arbitrary font file. The
// first 16 bytes, which lie in the header the program never reads, are also the text
// laid out in the view, on paper and under the cursor.
#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "fuzz_support.h"
#include "text/stroke_font.h"
#include "text/text_layout.h"
#include "view/camera.h"

namespace {

// Counts the pen's calls; every line starts from a point moved to.
class CountingPen : public marquetta::PrintPen {
  public:
    void MoveTo(int, int) override { moved = true; }
    void LineTo(int, int) override {
        FUZZ_CHECK(moved);
        ++lines;
    }
    bool moved = false;
    size_t lines = 0;
};

// Decoding stops where the record's own length says, or sooner when the data ends.
void CheckRecord(std::span<const uint8_t> record) {
    size_t steps = 0;
    marquetta::DecodeGlyph(record, [&](const marquetta::GlyphStep&) { ++steps; });
    const auto length = marquetta::GlyphRecordLength(record);
    if (record.empty()) {
        FUZZ_CHECK(steps == 0 && !length);
    } else if (length) {
        FUZZ_CHECK(steps == record[0] && *length <= record.size());
    } else {
        FUZZ_CHECK(steps < record[0]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marquetta;
    using namespace marquetta::fuzz;
    StartRun();
    g_fontData = size > 0 ? data : nullptr;
    g_fontSize = size;
    const std::string_view text = AsText(data, std::min<size_t>(size, 16));
    const std::span<const uint8_t> font(data, size);

    for (size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<uint8_t>(text[i]);
        const auto trail = static_cast<uint8_t>(i + 1 < text.size() ? text[i + 1] : 0);
        CheckRecord(FindGlyphIn(font, lead, trail));
        if (const auto code = ToFullWidthCode(lead)) {
            const std::span<const uint8_t> record = FindGlyph(code->lead, code->trail);
            FUZZ_CHECK(record.empty() || (record.data() >= data && record.data() < data + size));
            CheckRecord(record);
        }
    }

    std::vector<float> batch;
    const double angle = text.empty() ? 0.0 : static_cast<uint8_t>(text[0]) * 1.5;
    if (g_fontData == nullptr) {
        // Without a font the user is told, and nothing is drawn.
        FUZZ_CHECK(DrawStrokeText(text, 0.0, 0.0, 300.0, 300.0, angle, TextTarget::View(batch)) == 0);
        return 0;
    }
    FUZZ_CHECK(DrawStrokeText(text, 10.0, -20.0, 300.0, 250.0, angle, TextTarget::View(batch)) == 1);
    FUZZ_CHECK(batch.size() % 6 == 0);
    for (float v : batch) {
        FUZZ_CHECK(std::isfinite(v));
    }

    CountingPen pen;
    DrawStrokeText(text, 10.0, -20.0, 300.0, 250.0, angle,
                   TextTarget::Print(pen, MakePrintMapping(100.0, 210.0, 297.0)));
    // The same strokes on paper as in the view.
    FUZZ_CHECK(pen.lines == batch.size() / 6);

    ComputePaintTransforms(640, 480);
    g_pickHit = 0;
    DrawStrokeText(text, 0.0, 0.0, 5000.0, 5000.0, angle,
                   TextTarget::Pick(CapturedProjection(), 320.0, 240.0));
    FUZZ_CHECK(g_pickHit == 0 || !batch.empty());
    return 0;
}
