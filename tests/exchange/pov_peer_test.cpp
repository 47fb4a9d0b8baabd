// The scene against the renderer itself: POV-Ray 3.7 parses a written scene (every
// include, the sky, a CP932 layer name, texture text and pigments) and renders it to a
// small PNG in which the layers' colours stand where the view shows the faces.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "app/program_defaults.h"
#include "exchange/pov_scene.h"
#include "exchange/render_command.h"
#include "model/cp932.h"
#include "model/layers.h"
#include "test_files.h"
#include "test_shapes.h"
#include "view/camera.h"

namespace marquetta {
namespace {

using testing::AddShape;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

constexpr const char* kPython = "/usr/bin/python3";

// Prints one row of an 8-bit RGB or RGBA PNG, a letter per pixel: R, G or B where that
// channel is bright (over 150) and the others dark (under 100), else ".".
constexpr const char* kPngRowScript = R"PY(
import sys, zlib, struct
data = open(sys.argv[1], 'rb').read()
assert data[:8] == b'\x89PNG\r\n\x1a\n'
pos, idat = 8, b''
while pos < len(data):
    n, kind = struct.unpack('>I4s', data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + n]
    pos += 12 + n
    if kind == b'IHDR':
        w, h, depth, ctype, _, _, interlace = struct.unpack('>IIBBBBB', body)
        assert depth == 8 and ctype in (2, 6) and interlace == 0
    elif kind == b'IDAT':
        idat += body
bpp = 3 if ctype == 2 else 4
raw, stride, prev, i = zlib.decompress(idat), w * bpp, bytearray(w * bpp), 0
for y in range(int(sys.argv[2]) + 1):
    f, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
    i += 1 + stride
    for x in range(stride):
        a = line[x - bpp] if x >= bpp else 0
        b = prev[x]
        c = prev[x - bpp] if x >= bpp else 0
        if f == 1: line[x] = (line[x] + a) & 255
        elif f == 2: line[x] = (line[x] + b) & 255
        elif f == 3: line[x] = (line[x] + (a + b) // 2) & 255
        elif f == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    prev = line
def letter(p):
    for i, name in enumerate('RGB'):
        if p[i] > 150 and all(p[j] < 100 for j in range(3) if j != i):
            return name
    return '.'
print(''.join(letter(prev[x * bpp:x * bpp + 3]) for x in range(w)))
)PY";

TEST(PovPeerTest, PovRayRendersTheLayersWhereTheViewShowsThem) {
    InitProgramDefaults();
    constexpr int kWidth = 48;
    constexpr int kHeight = 36;
    ComputePaintTransforms(kWidth, kHeight);
    CZorader_ezDoc doc;

    const std::string red = Utf8ToCp932("赤い壁");
    EnsureLayer(red);
    g_layerAttributes[0] = {1.0, 0.0, 0.0, 0.0, 0.0, 1.0};
    EnsureLayer("green");
    g_layerAttributes[1] = {0.0, 1.0, 0.0, 0.0, 0.2, 1.0};
    EnsureLayer("blue");
    g_layerTextures[2] = "pigment { color Blue }";
    EnsureLayer("hidden");
    g_layerAttributes[3] = {1.0, 1.0, 0.0, 0.0, 0.0, 0.0};

    // Three faces 10 above the ground side by side, together exactly as wide as the
    // view (30 degrees high, 4:3) shows at their height from 50000 above the ground;
    // above them all, a face on the hidden layer.
    constexpr float kY = 10.0f;
    const double halfHeight = (50000.0 - kY) * std::tan(15.0 * 3.14159265358979323846 / 180.0);
    const float half = static_cast<float>(halfHeight * kWidth / kHeight);
    const float third = half / 3.0f * 2.0f;
    const float deep = 20000.0f;  // more than the view shows up and down
    const char* layers[] = {red.c_str(), "green", "blue"};
    for (int i = 0; i < 3; ++i) {
        const float x0 = -half + third * static_cast<float>(i);
        const float x1 = x0 + third;
        AddShape(doc, SHAPE_FACE, layers[i],
                 {{x0, kY, -deep}, {x1, kY, -deep}, {x1, kY, deep}, {x0, kY, deep}});
    }
    AddShape(doc, SHAPE_FACE, "hidden",
             {{-deep, 20, -deep}, {deep, 20, -deep}, {deep, 20, deep}, {-deep, 20, deep}});

    TempDir dir;
    const FileResult written = WritePovScene(doc, dir.File(kSceneFileName));
    ASSERT_TRUE(written.ok()) << written.message;

    // The program's own arguments; no display window under the test. A "povray.ini" in
    // the folder (read in place of the system's, so it names the includes' folder too)
    // that asks for another file, of another type, or none changes nothing.
    WriteBytes(dir.File("povray.ini"),
               "Library_Path=\"/usr/share/povray-3.7/include\"\nOutput_to_File=off\n"
               "Output_File_Type=J\nOutput_File_Name=other\n");
    std::string command = "cd '" + dir.Path().string() + "' && povray";
    for (const std::string& argument : RendererArguments()) {
        command += " " + argument;
    }
    command += " -D >render.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0)
        << "POV-Ray (the povray package with povray-includes; scripts/setup.sh installs "
           "them) did not render the scene:\n"
        << ReadBytes(dir.File("render.log"));

    WriteBytes(dir.File("row.py"), kPngRowScript);
    const std::string row = std::to_string(kHeight / 2);
    const std::string decode = std::string(kPython) + " '" + dir.File("row.py") + "' '" +
                               dir.File(kPictureFileName) + "' " + row + " >'" +
                               dir.File("row.txt") + "'";
    ASSERT_EQ(std::system(decode.c_str()), 0) << "python3 could not read the picture";
    // Each third of the picture in its layer's colour, out to both edges.
    EXPECT_EQ(ReadBytes(dir.File("row.txt")),
              std::string(16, 'R') + std::string(16, 'G') + std::string(16, 'B') + "\n");
}

}  // namespace
}  // namespace marquetta
