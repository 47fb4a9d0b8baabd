// The scene file byte for byte, its pieces written out here from the scene's
// templates; and the camera checked against the view's own transforms.
#include "exchange/pov_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/program_defaults.h"
#include "model/cp932.h"
#include "model/layers.h"
#include "model/render_settings.h"
#include "test_files.h"
#include "test_shapes.h"
#include "view/camera.h"

namespace marquetta {
namespace {

using testing::AddShape;
using testing::ReadBytes;
using testing::TempDir;

constexpr const char* kTop =
    "//Created by Tarno_IIILT\n"
    "//W=640 H=480\n"
    "#include \"colors.inc\"\n"
    "#include \"textures.inc\"\n"
    "#include \"shapes.inc\"\n"
    "#include \"skies.inc\"\n"
    "#include \"glass.inc\"\n"
    "#include \"stones.inc\"\n"
    "#include \"metals.inc\"\n"
    "#include \"woods.inc\"\n"
    "\n";
constexpr const char* kSky = "sky_sphere{ S_Cloud1 }\n\n";
// The start-up camera over a 640 x 480 view; the sun of the default settings
// (latitude 36, equinox, 10 o'clock) and the light at the camera.
constexpr const char* kCameraAndLights =
    "camera {\n"
    "  location <-0.000000, 50000.000000, 0.001160>\n"
    "  right <1.333333, 0.000000, 0.000000>\n"
    "  up <0.000000, 1.000000, 0.000000>\n"
    "  look_at <-0.000000, 49999.000000, 0.001160>\n"
    "  angle 39.320121\n"
    "}\n"
    "\n"
    "light_source { <500000.006699, 700629.261368, -509036.964685> color rgb 1 }\n"
    "light_source { <-0.000000, 50000.000000, 0.001160> color rgb 1 }\n"
    "\n"
    "#declare mat00 = texture {\n"
    "  pigment { color rgbf<0.149, 1.000, 0.118, 0.500> }\n"
    "}\n"
    "#declare mat99999 = texture {\n"
    "  pigment { color White } finish { reflection 0.3 }\n"
    "}\n";
constexpr const char* kGround =
    "\n"
    "object{\n"
    "  Plane_XZ\n"
    "  texture{ mat99999 }\n"
    "}\n"
    "\n";

std::string Triangle(const char* a, const char* b, const char* c, const char* texture) {
    return std::string("   triangle {\n      <") + a + ">, <" + b + ">, <" + c +
           ">\n      texture { mat" + texture + " }\n   }\n";
}

class PovSceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitProgramDefaults();
        ComputePaintTransforms(640, 480);
    }

    std::string Scene() {
        const FileResult result = WritePovScene(doc, dir.File("TEMP.pov"));
        EXPECT_TRUE(result.ok()) << result.message;
        return ReadBytes(dir.File("TEMP.pov"));
    }
    // The scene's mesh, the end of the file.
    std::string Mesh() {
        const std::string scene = Scene();
        const size_t start = scene.find("mesh {\n");
        return start == std::string::npos ? "(missing)" : scene.substr(start);
    }
    CShape& Face(const std::string& layer, Float3 p0, Float3 p1, Float3 p2, Float3 p3) {
        return AddShape(doc, SHAPE_FACE, layer, {p0, p1, p2, p3});
    }

    TempDir dir;
    CZorader_ezDoc doc;
};

TEST_F(PovSceneTest, EmptyDrawingIsACompleteSceneWithAnEmptyMesh) {
    EXPECT_EQ(Scene(), std::string(kTop) + kSky + kCameraAndLights + kGround + "mesh {\n}\n");
    // No sky text, no sky line: the camera follows the blank line after the includes.
    g_skyTexture.clear();
    EXPECT_EQ(Scene(), std::string(kTop) + kCameraAndLights + kGround + "mesh {\n}\n");
}

TEST_F(PovSceneTest, OneTextureForEveryLayer) {
    EnsureLayer("0");
    g_layerAttributes[0] = {1.0, 0.0, 0.0, 0.0, 0.0, 1.0};
    EnsureLayer(Utf8ToCp932("壁"));
    g_layerTextures[1] = "T_Stone1 scale 100";
    EnsureLayer("glass");
    g_layerAttributes[2] = {0.25, 0.5, 0.75, 0.5, 0.125, 0.0};  // hidden: still declared
    EnsureLayer("two\r\nlines");
    const std::string declarations =
        "#declare mat0 = texture {//0\n"
        "  pigment { color rgbf<1.000000, 0.000000, 0.000000, 0.000000> }\n"
        "  finish { reflection 0.000000 }\n"
        "}\n"
        "#declare mat1 = texture {//" + Utf8ToCp932("壁") + "\n"
        "  T_Stone1 scale 100\n"
        "}\n"
        "#declare mat2 = texture {//glass\n"
        "  pigment { color rgbf<0.250000, 0.500000, 0.750000, 0.500000> }\n"
        "  finish { reflection 0.125000 }\n"
        "}\n"
        // A line break would end the comment and leave the rest as scene text.
        "#declare mat3 = texture {//two  lines\n"
        "  pigment { color rgbf<1.000000, 1.000000, 1.000000, 0.000000> }\n"
        "  finish { reflection 0.000000 }\n"
        "}\n";
    const std::string scene = Scene();
    const size_t start = scene.find("#declare mat0 ");
    EXPECT_EQ(scene.substr(start, scene.find("\nobject{") - start), declarations);
}

TEST_F(PovSceneTest, FacesBecomeTrianglesWithZNegated) {
    EnsureLayer("0");
    EnsureLayer("1");
    // A triangle (the fourth point repeats the third) and a quad split on p0-p2.
    Face("0", {10, 20, 30}, {110, 20, 30}, {10, 20, 130}, {10, 20, 130});
    Face("1", {0, 0, 0}, {100, 0, 0}, {100, 0, -100}, {0, 5, -100});
    const std::string expected =
        Triangle("10.000000,20.000000,-30.000000", "110.000000,20.000000,-30.000000",
                 "10.000000,20.000000,-130.000000", "0") +
        Triangle("0.000000,0.000000,-0.000000", "100.000000,0.000000,-0.000000",
                 "100.000000,0.000000,100.000000", "1") +
        Triangle("100.000000,0.000000,100.000000", "0.000000,5.000000,100.000000",
                 "0.000000,0.000000,-0.000000", "1");
    EXPECT_EQ(Mesh(), "mesh {\n" + expected + "}\n");
}

TEST_F(PovSceneTest, DegenerateTrianglesAreLeftOut) {
    struct Case {
        const char* what;
        Float3 p[4];
        size_t triangles;
    };
    const Case cases[] = {
        {"first edge too short", {{0, 0, 0}, {0, 0, 0.000005f}, {10, 0, 10}, {0, 0, 10}}, 1},
        {"first three in a line", {{0, 0, 0}, {5, 0, 0}, {10, 0, 0}, {0, 0, 10}}, 1},
        {"second three in a line", {{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {5, 0, 5}}, 1},
        {"fourth point a hair off the third", {{0, 0, 0}, {10, 0, 0}, {10, 0, 10},
                                               {10, 0, 10.000001f}}, 1},
        {"all in a line", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, 0},
        {"all in one point", {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        doc.DeleteAllShapes();
        Face("0", c.p[0], c.p[1], c.p[2], c.p[3]);
        const std::string mesh = Mesh();
        // Each triangle is written on four lines.
        EXPECT_EQ(static_cast<size_t>(std::count(mesh.begin(), mesh.end(), '\n')),
                  2 + 4 * c.triangles)
            << mesh;
    }
}

TEST_F(PovSceneTest, HiddenAndUnknownLayers) {
    EnsureLayer("shown");
    EnsureLayer("hidden");
    g_layerAttributes[1][LAYER_VISIBLE] = 0.0;
    const Float3 a{0, 0, 0}, b{10, 0, 0}, c{10, 0, 10};
    Face("hidden", a, b, c, c);
    Face("shown", a, b, c, c).m_strLayer = "nowhere";
    const std::string ground = Triangle("0.000000,0.000000,-0.000000",
                                        "10.000000,0.000000,-0.000000",
                                        "10.000000,0.000000,-10.000000", "99999");

    // A layer missing from the table is looked up in the slot after the last layer:
    // zero there hides it, anything else shows it with the ground's texture.
    EXPECT_EQ(Mesh(), "mesh {\n}\n");
    EXPECT_NE(Scene().find("#declare mat1 = texture {//hidden\n"), std::string::npos);
    g_layerAttributes[2][LAYER_VISIBLE] = 1.0;
    EXPECT_EQ(Mesh(), "mesh {\n" + ground + "}\n");

    // With every slot in use there is no slot after the last layer: shown.
    for (int i = g_layerCount; i < kLayerSlots; ++i) {
        g_layerNames[i] = "layer" + std::to_string(i);
        g_layerAttributes[i] = {1.0, 1.0, 1.0, 0.0, 0.0, 0.0};
    }
    g_layerCount = kLayerSlots;
    EXPECT_EQ(Mesh(), "mesh {\n" + ground + "}\n");
}

// Where the view's eye stands and looks; the peer test shows that the angle frames
// what the view shows.
TEST_F(PovSceneTest, CameraStandsAndLooksAsTheView) {
    struct Case {
        Float3 translate;
        double elevation, azimuth;
    };
    const Case cases[] = {
        {{1200, -3400, -20000}, 90, 0},
        {{500, 700, -9000}, 60, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.azimuth);
        g_viewTranslate = c.translate;
        g_elevation = c.elevation;
        g_azimuth = c.azimuth;
        ComputePaintTransforms(640, 480);
        const SceneCamera camera = ComputeSceneCamera();
        // The scene's z is the world's negated.
        const double eye[3] = {camera.location[0], camera.location[1], -camera.location[2]};
        const double ahead[3] = {camera.lookAt[0] - camera.location[0],
                                 camera.lookAt[1] - camera.location[1],
                                 -(camera.lookAt[2] - camera.location[2])};
        const double* m = g_modelviewMatrix;
        for (int i = 0; i < 3; ++i) {
            // The eye maps to the origin of eye space, the line of sight to -z there.
            EXPECT_NEAR(m[i] * eye[0] + m[4 + i] * eye[1] + m[8 + i] * eye[2] + m[12 + i], 0.0,
                        1e-6 * std::fabs(c.translate.z));
            EXPECT_NEAR(m[i] * ahead[0] + m[4 + i] * ahead[1] + m[8 + i] * ahead[2],
                        i == 2 ? -1.0 : 0.0, 1e-6);
        }
    }
}

TEST_F(PovSceneTest, AFileThatCannotBeCreatedIsReported) {
    const std::string path = dir.File("no/such/folder/TEMP.pov");
    const FileResult result = WritePovScene(doc, path);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message, path + " が開けません");
}

}  // namespace
}  // namespace marquetta
