// The DXF files that CAD programs write today, made by ezdxf (tests/exchange/
// dxf_import_peer.py), imported, and compared with what ezdxf itself makes of the same
// file: total plan length, extents, faces, texts and their alignment, layer colours.
// One table of files, each checked the same way.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "app/program_defaults.h"
#include "cli/json_dump.h"
#include "exchange/dxf_import.h"
#include "test_files.h"

namespace marquetta {
namespace {

using testing::TempDir;
using testing::WriteBytes;

// ezdxf is installed for Debian's own Python, which need not be first on the PATH.
constexpr const char* kPeer = "/usr/bin/python3 " MARQUETTA_SOURCE_DIR
                              "/tests/exchange/dxf_import_peer.py ";

struct PeerCase {
    const char* name;
    const char* report;  // what the user is told was left out
};

const PeerCase kCases[] = {
    // The floor plan: a room with a bay, rotated and nested doors (mirrored inside
    // their pair), an MTEXT, an ellipse, splines by fit and by control points, a
    // dimension, a layer switched off and a line in paper space.
    {"plan", ""},
    // Blocks mirrored, unevenly scaled (circles become ellipses), nested, in a grid,
    // with attributes and colours by block.
    {"blocks", ""},
    // Elliptical arcs, mirrored arcs, 3-D and bulged polylines, splines by fit points
    // and rational ones, hatch boundaries of every edge kind, a leader.
    {"curves", ""},
    // Justified texts, control codes, a character CP932 cannot hold, MTEXT formatting
    // at every attachment point.
    {"texts", "取り込めなかった図形: 文字の変換 1"},
    // A plan in inches.
    {"inches", ""},
    // R12: a bulged polyline, a block with an attribute, a code page of its own, a
    // polyface and a polygon mesh.
    {"r12", ""},
};

TEST(DxfImportPeerTest, FilesOfCurrentCadProgramsImportAsEzdxfReadsThem) {
    TempDir dir;
    ASSERT_EQ(std::system((std::string(kPeer) + "write '" + dir.Path().string() + "'").c_str()), 0)
        << "ezdxf must be installed (scripts/setup.sh installs it)";
    for (const PeerCase& c : kCases) {
        SCOPED_TRACE(c.name);
        InitProgramDefaults();
        CZorader_ezDoc doc;
        const DxfImportResult result = ImportDxfFile(doc, dir.File(std::string(c.name) + ".dxf"));
        ASSERT_TRUE(result.replaced) << result.message.text;
        EXPECT_EQ(result.report, c.report);
        const std::string json = dir.File(std::string(c.name) + ".json");
        WriteBytes(json, DrawingToJson(doc));
        char moved[80];
        std::snprintf(moved, sizeof moved, " %.17g %.17g", result.movedX, result.movedY);
        const std::string check = std::string(kPeer) + "check '" +
                                  dir.File(std::string(c.name) + ".dxf") + "' '" + json + "'" + moved;
        EXPECT_EQ(std::system(check.c_str()), 0) << "the differences are printed above";
    }
}

}  // namespace
}  // namespace marquetta
