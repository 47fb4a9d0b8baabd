// The exported DXF against LibreCAD (Debian's librecad, whose DXF reading is libdxfrw):
// its dxf2pdf prints the file without a display, poppler's pdftoppm rasterises the
// page, and the text's characters are counted as the runs of ink along the line. The
// text "居間" must come through as two characters. Without the header's release the
// same reader takes the file's strings for UTF-8 and prints four unknown characters:
// the same file with the release taken out shows that the count tells them apart.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/program_defaults.h"
#include "exchange/dxf_writer.h"
#include "model/cp932.h"
#include "test_files.h"

namespace marquetta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

constexpr const char* kLibreCad = "/usr/bin/librecad";
constexpr const char* kPdftoppm = "/usr/bin/pdftoppm";
constexpr std::string_view kRelease = "9\r\n$ACADVER\r\n1\r\nAC1009\r\n";

// How many runs of columns holding ink a grey PGM ("P5") picture has; -1 when it is
// not one.
int InkRuns(const std::string& pgm) {
    unsigned width = 0, height = 0, maximum = 0;
    int consumed = 0;
    if (std::sscanf(pgm.c_str(), "P5 %u %u %u%n", &width, &height, &maximum, &consumed) != 3 ||
        maximum != 255 || pgm.size() < static_cast<size_t>(consumed) + 1 + width * height) {
        return -1;
    }
    const unsigned char* pixels =
        reinterpret_cast<const unsigned char*>(pgm.data()) + consumed + 1;
    int runs = 0;
    bool inkBefore = false;
    for (unsigned x = 0; x < width; ++x) {
        bool ink = false;
        for (unsigned y = 0; y < height && !ink; ++y) {
            ink = pixels[y * width + x] < 128;
        }
        runs += ink && !inkBefore;
        inkBefore = ink;
    }
    return runs;
}

// LibreCAD's print of `dxf` (fitted to the page), rasterised: the characters it drew.
int CharactersLibreCadDraws(const TempDir& dir, const std::string& name) {
    // Its settings go to the test's folder, not the user's.
    const std::string command = "cd '" + dir.Path().string() + "' && HOME=. XDG_CONFIG_HOME=. " +
                                "QT_QPA_PLATFORM=offscreen " + kLibreCad + " dxf2pdf -a -o '" +
                                name + ".pdf' '" + name + ".dxf' >'" + name + ".log' 2>&1 && " +
                                kPdftoppm + " -r 40 -gray -singlefile '" + name + ".pdf' '" +
                                name + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadBytes(dir.File(name + ".log"));
    return InkRuns(ReadBytes(dir.File(name + ".pgm")));
}

TEST(DxfLibreCadPeerTest, JapaneseTextKeepsItsCharacters) {
    // The setup script installs the peers: without them the test fails, never skips.
    ASSERT_EQ(::access(kLibreCad, X_OK), 0) << "librecad is missing: run scripts/setup.sh";
    ASSERT_EQ(::access(kPdftoppm, X_OK), 0) << "pdftoppm is missing: run scripts/setup.sh";
    ASSERT_TRUE(Cp932Available());
    InitProgramDefaults();
    CZorader_ezDoc doc;
    CShape& text = doc.m_current;
    text.m_nType = SHAPE_TEXT;
    text.m_pt[1] = {300, 300, 0};
    doc.SetCurrentLayer("0");
    doc.SetCurrentText(Utf8ToCp932("居間"));
    doc.AddCurrentShape();

    TempDir dir;
    ASSERT_TRUE(ExportDxfFile(doc, dir.File("plan.dxf")).written);
    std::string withoutRelease = ReadBytes(dir.File("plan.dxf"));
    const size_t release = withoutRelease.find(kRelease);
    ASSERT_NE(release, std::string::npos);
    withoutRelease.erase(release, kRelease.size());
    WriteBytes(dir.File("norelease.dxf"), withoutRelease);

    EXPECT_EQ(CharactersLibreCadDraws(dir, "plan"), 2);
    EXPECT_EQ(CharactersLibreCadDraws(dir, "norelease"), 4);
}

}  // namespace
}  // namespace marquetta
