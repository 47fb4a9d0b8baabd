#include "exchange/pov_scene.h"

#include <locale.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string_view>
#include <vector>

#include "exchange/command_message.h"
#include "exchange/sun.h"
#include "model/binary_file.h"
#include "model/c_numbers.h"
#include "model/layers.h"
#include "model/render_settings.h"
#include "view/camera.h"

namespace marquetta {
namespace {

// Half a degree in radians, and degrees per radian, with the program's pi.
constexpr double kRadiansPerHalfDegree = 0.00872664638888889;
constexpr double kSunDistance = 1000000.0;
// Edges shorter than this, and edges this close to parallel, make no triangle.
constexpr double kShortEdge = 1e-5;

class SceneOut {
  public:
    explicit SceneOut(SafeFileWriter& w) : m_w(w) {}

    void Text(std::string_view s) { m_w.Write(s.data(), s.size()); }

    // Texts are written as they are, never through the format: they may hold "%".
    void Line(std::string_view before, std::string_view text, std::string_view after) {
        Text(before);
        Text(text);
        Text(after);
    }

    __attribute__((format(printf, 2, 3))) void Format(const char* format, ...) {
        char small[512];
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(small, sizeof small, format, args);
        va_end(args);
        if (n < 0) {
            throw FileFailure{FileError::SaveFailed};
        }
        if (static_cast<size_t>(n) < sizeof small) {
            m_w.Write(small, static_cast<size_t>(n));
            return;
        }
        // "%f" of a huge double runs to hundreds of digits.
        std::vector<char> large(static_cast<size_t>(n) + 1);
        va_start(args, format);
        std::vsnprintf(large.data(), large.size(), format, args);
        va_end(args);
        m_w.Write(large.data(), static_cast<size_t>(n));
    }

  private:
    SafeFileWriter& m_w;
};

Float3 Minus(const Float3& a, const Float3& b) {
    return Float3{a.x - b.x, a.y - b.y, a.z - b.z};
}

float Length(const Float3& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

float Dot(const Float3& a, const Float3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Whether the triangle a, b, c is worth writing: no edge shorter than 1e-5 and the
// two edges from a not parallel. Single precision, as the points are stored.
bool SoundTriangle(const Float3& a, const Float3& b, const Float3& c) {
    const Float3 ab = Minus(b, a);
    const Float3 ac = Minus(c, a);
    const float lab = Length(ab);
    const float lbc = Length(Minus(c, b));
    const float lac = Length(ac);
    if (lab < kShortEdge || lbc < kShortEdge || lac < kShortEdge) {
        return false;
    }
    const float d = Dot(ab, ac) / (lab * lac);
    return !(std::fabs(1.0f - std::fabs(d)) < kShortEdge);
}

void Triangle(SceneOut& out, const Float3& a, const Float3& b, const Float3& c, int texture) {
    out.Text("   triangle {\n");
    out.Format("      <%f,%f,%f>, ", a.x, a.y, -a.z);
    out.Format("<%f,%f,%f>, ", b.x, b.y, -b.z);
    out.Format("<%f,%f,%f>\n", c.x, c.y, -c.z);
    out.Format("      texture { mat%d }\n   }\n", texture);
}

void Face(SceneOut& out, const CShape& shape) {
    const int layer = FindLayer(shape.m_strLayer);
    // A name missing from a full table has no slot after the last layer to say
    // whether it shows; such shapes show, as in the view.
    if (layer < kLayerSlots && g_layerAttributes[layer][LAYER_VISIBLE] == 0.0) {
        return;
    }
    const int texture = layer < g_layerCount ? layer : kGroundTextureNumber;
    const Float3* p = shape.m_pt;
    if (SoundTriangle(p[0], p[1], p[2])) {
        Triangle(out, p[0], p[1], p[2], texture);
    }
    if (p[3] != p[2] && SoundTriangle(p[0], p[2], p[3])) {
        Triangle(out, p[2], p[3], p[0], texture);
    }
}

// A line break in a layer name would end the comment it is written in and turn the
// rest of the name into scene text.
std::string CommentText(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

void WriteScene(SceneOut& out, const CZorader_ezDoc& doc) {
    out.Text("//Created by Tarno_IIILT\n");
    out.Format("//W=%d H=%d\n", static_cast<int>(g_viewWidth), static_cast<int>(g_viewHeight));
    out.Text(
        "#include \"colors.inc\"\n#include \"textures.inc\"\n#include \"shapes.inc\"\n"
        "#include \"skies.inc\"\n#include \"glass.inc\"\n#include \"stones.inc\"\n"
        "#include \"metals.inc\"\n#include \"woods.inc\"\n\n");
    if (!g_skyTexture.empty()) {
        out.Line("sky_sphere{ ", g_skyTexture, " }\n\n");
    }

    const SceneCamera camera = ComputeSceneCamera();
    const double* c = camera.location;
    out.Text("camera {\n");
    out.Format("  location <%f, %f, %f>\n", c[0], c[1], c[2]);
    out.Format("  right <%f, %f, %f>\n", g_viewAspect, 0.0, 0.0);
    out.Format("  up <%f, %f, %f>\n", 0.0, 1.0, 0.0);
    out.Format("  look_at <%f, %f, %f>\n", camera.lookAt[0], camera.lookAt[1], camera.lookAt[2]);
    out.Format("  angle %f\n", camera.angle);
    out.Text("}\n\n");

    const SunDirection sun = CurrentSunDirection();
    out.Format("light_source { <%f, %f, %f> color rgb 1 }\n", sun.x * kSunDistance,
               sun.y * kSunDistance, sun.z * kSunDistance);
    out.Format("light_source { <%f, %f, %f> color rgb 1 }\n\n", c[0], c[1], c[2]);

    out.Text(
        "#declare mat00 = texture {\n"
        "  pigment { color rgbf<0.149, 1.000, 0.118, 0.500> }\n"
        "}\n");
    out.Line("#declare mat99999 = texture {\n  ", g_groundTexture, "\n}\n");
    for (int i = 0; i < g_layerCount && i < kLayerSlots; ++i) {
        out.Format("#declare mat%d = texture {//", i);
        out.Line("", CommentText(g_layerNames[i]), "\n");
        if (!g_layerTextures[i].empty()) {
            out.Line("  ", g_layerTextures[i], "\n");
        } else {
            const auto& a = g_layerAttributes[i];
            out.Format("  pigment { color rgbf<%f, %f, %f, %f> }\n", a[LAYER_RED], a[LAYER_GREEN],
                       a[LAYER_BLUE], a[LAYER_TRANSPARENCY]);
            out.Format("  finish { reflection %f }\n", a[LAYER_REFLECTION]);
        }
        out.Text("}\n");
    }

    out.Text("\nobject{\n  Plane_XZ\n  texture{ mat99999 }\n}\n\n");
    out.Text("mesh {\n");
    for (const auto& shape : doc.m_shapes) {
        if (shape->m_nType == SHAPE_FACE) {
            Face(out, *shape);
        }
    }
    out.Text("}\n");
}

}  // namespace

SceneCamera ComputeSceneCamera() {
    const double tx = g_viewTranslate.x;
    const double ty = g_viewTranslate.y;
    const double tz = g_viewTranslate.z;
    const double e = -g_elevation * kRadiansPerDegree;
    const double a = g_azimuth * kRadiansPerDegree;
    const double u = tz * std::cos(e) + ty * std::sin(e);
    const double v = ty * std::cos(e) - tz * std::sin(e);

    SceneCamera camera;
    camera.location[0] = -(tx * std::cos(a) - u * std::sin(a));
    camera.location[1] = -v;
    camera.location[2] = tx * std::sin(a) + u * std::cos(a);
    camera.lookAt[0] = camera.location[0] + std::sin(a) * std::cos(e);
    camera.lookAt[1] = camera.location[1] + std::sin(e);
    camera.lookAt[2] = camera.location[2] + std::cos(a) * std::cos(e);
    // Twice the half angle, in degrees: the width the view shows at its aspect.
    camera.angle = 2.0 * std::atan(g_viewAspect * std::tan(g_paintFov * kRadiansPerHalfDegree)) *
                   kDegreesPerRadian;
    return camera;
}

FileResult WritePovScene(const CZorader_ezDoc& doc, const std::string& path, SaveTarget kind) {
    return WriteFileSafely(
        path,
        [&](SafeFileWriter& writer) {
            const CNumbersScope numbers;
            SceneOut out(writer);
            WriteScene(out, doc);
        },
        CannotOpenMessage(path).text, kind);
}

}  // namespace marquetta
