#include "site_scene.h"

#include <cmath>
#include <cstdio>

#include "model/binary_file.h"
#include "model/layers.h"

namespace marquetta::bench {
namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
  public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi).
    double Uniform(double lo, double hi) {
        return lo + (hi - lo) * static_cast<double>(Next() >> 11) * 0x1.0p-53;
    }

  private:
    uint64_t m_state;
};

}  // namespace

void MoveEveryShape(CZorader_ezDoc& doc, float& step) {
    for (const ShapeRef& shape : doc.m_shapes) {
        doc.TranslateShape(*shape, {0, 0, 0}, {step, 0, 0});
    }
    step = -step;
}

void FillSitePlan(CZorader_ezDoc& doc, int count) {
    std::string layers[kSiteLayers];
    for (int i = 0; i < kSiteLayers; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "SITE-%02d", i);
        layers[i] = name;
        EnsureLayer(layers[i]);
    }
    Random random(20240611);
    for (int i = 0; i < count; ++i) {
        const float x = static_cast<float>(random.Uniform(-kSiteHalfSide, kSiteHalfSide));
        const float z = static_cast<float>(random.Uniform(-kSiteHalfSide, kSiteHalfSide));
        doc.SetCurrentLayer(layers[random.Next() % kSiteLayers]);
        doc.m_current.m_pt[0] = {x, 0.0f, z};
        if (i % 10 == 9) {
            doc.m_current.m_nType = SHAPE_CIRCLE;
            doc.m_current.m_pt[1] = {static_cast<float>(random.Uniform(500.0, 5000.0)), 0.0f, 0.0f};
        } else {
            const double angle = random.Uniform(0.0, 6.283185307179586);
            const double length = random.Uniform(1000.0, 8000.0);
            doc.m_current.m_nType = SHAPE_LINE;
            doc.m_current.m_pt[1] = {static_cast<float>(x + length * std::cos(angle)), 0.0f,
                                     static_cast<float>(z + length * std::sin(angle))};
        }
        doc.AddCurrentShape();
    }
    doc.m_current.m_nType = SHAPE_NONE;
}

void FillSpreadPlan(CZorader_ezDoc& doc, float halfSide) {
    // Seven colours, given round the layers.
    static constexpr double kColours[7][3] = {{1, 1, 1}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                              {0, 1, 1}, {0, 0, 1}, {1, 0, 1}};
    std::string layers[kSiteLayers];
    for (int i = 0; i < kSiteLayers; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "PLAN-%02d", i);
        layers[i] = name;
        EnsureLayer(layers[i]);
        const int slot = FindLayer(layers[i]);
        for (int c = 0; c < 3; ++c) {
            g_layerAttributes[slot][c] = kColours[i % 7][c];
        }
    }
    const CShape before = doc.m_current;
    Random random(20250301);
    const int total = kSpreadLines + kSpreadCircles;
    doc.m_shapes.Reserve(doc.m_shapes.size() + total);
    for (int i = 0; i < total; ++i) {
        const float x = static_cast<float>(random.Uniform(-halfSide, halfSide));
        const float z = static_cast<float>(random.Uniform(-halfSide, halfSide));
        const int layer = static_cast<int>(random.Next() % kSiteLayers);
        doc.SetCurrentLayer(layers[layer]);
        for (int c = 0; c < 3; ++c) {
            doc.m_current.m_attr[c] = static_cast<float>(kColours[layer % 7][c]);
        }
        doc.m_current.m_pt[0] = {x, 0.0f, z};
        if (i % 6 == 5) {
            doc.m_current.m_nType = SHAPE_CIRCLE;
            doc.m_current.m_pt[1] = {static_cast<float>(random.Uniform(10.0, 2000.0)), 0.0f, 0.0f};
        } else {
            const double angle = random.Uniform(0.0, 6.283185307179586);
            const double length = random.Uniform(1.0, 900.0);
            doc.m_current.m_nType = SHAPE_LINE;
            doc.m_current.m_pt[1] = {static_cast<float>(x + length * std::cos(angle)), 0.0f,
                                     static_cast<float>(z + length * std::sin(angle))};
        }
        doc.AddCurrentShape();
    }
    doc.m_current = before;
}

bool WriteDxfPlan(const std::string& path) {
    const FileResult written = WriteFileSafely(path, [](SafeFileWriter& w) {
        auto put = [&](const char* s, int n) { w.Write(s, static_cast<size_t>(n)); };
        char buffer[512];
        int n = std::snprintf(buffer, sizeof buffer, "%s",
                              "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\n"
                              "AC1009\r\n  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nENTITIES\r\n");
        put(buffer, n);
        Random random(19840101);
        const int total = kDxfLines + kDxfCircles;
        for (int i = 0; i < total; ++i) {
            const double x = random.Uniform(-kSiteHalfSide, kSiteHalfSide);
            const double y = random.Uniform(-kSiteHalfSide, kSiteHalfSide);
            const int layer = static_cast<int>(random.Next() % kSiteLayers);
            const int colour = static_cast<int>(random.Next() % 8);
            if (i % 6 == 5) {  // one circle to five lines
                n = std::snprintf(buffer, sizeof buffer,
                                  "  0\r\nCIRCLE\r\n  8\r\nSITE-%02d\r\n 62\r\n%d\r\n"
                                  " 10\r\n%.6f\r\n 20\r\n%.6f\r\n 30\r\n0.0\r\n 40\r\n%.6f\r\n",
                                  layer, colour, x, y, random.Uniform(500.0, 5000.0));
            } else {
                const double angle = random.Uniform(0.0, 6.283185307179586);
                const double length = random.Uniform(1000.0, 8000.0);
                n = std::snprintf(buffer, sizeof buffer,
                                  "  0\r\nLINE\r\n  8\r\nSITE-%02d\r\n 62\r\n%d\r\n"
                                  " 10\r\n%.6f\r\n 20\r\n%.6f\r\n 30\r\n0.0\r\n"
                                  " 11\r\n%.6f\r\n 21\r\n%.6f\r\n 31\r\n0.0\r\n",
                                  layer, colour, x, y, x + length * std::cos(angle),
                                  y + length * std::sin(angle));
            }
            put(buffer, n);
        }
        n = std::snprintf(buffer, sizeof buffer, "%s", "  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
        put(buffer, n);
    });
    if (!written.ok()) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), written.message.c_str());
    }
    return written.ok();
}

}  // namespace marquetta::bench
