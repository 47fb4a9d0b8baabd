// Writes the benchmarks' drawings for the scripts that time whole programs: the site
// plan as a drawing file (OUT.trn, optionally with fewer shapes), the spread plan over
// 100 km (--spread) or its dense variant (--dense), or the DXF plan of the import
// benchmark (OUT.dxf).
//     make_site_drawing OUT.trn [SHAPES | --spread | --dense]
//     make_site_drawing OUT.dxf
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/program_defaults.h"
#include "model/native_file.h"
#include "platform/platform.h"
#include "site_scene.h"

int main(int argc, char** argv) {
    using namespace marquetta;
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_site_drawing OUT.trn [SHAPES | --spread | --dense] | OUT.dxf\n");
        return 2;
    }
    const std::string out = argv[1];
    const bool trn = out.size() > 4 && out.compare(out.size() - 4, 4, ".trn") == 0;
    const bool dxf = out.size() > 4 && out.compare(out.size() - 4, 4, ".dxf") == 0;
    if (!trn && !dxf) {
        // An option or a stray word is never taken for the name of a file to write.
        std::fprintf(stderr, "usage: make_site_drawing OUT.trn [SHAPES] | OUT.dxf\n");
        return 2;
    }
    if (dxf) {
        return bench::WriteDxfPlan(out) ? 0 : 1;
    }
    const std::string option = argc > 2 ? argv[2] : "";
    HeadlessPlatform platform;
    ScopedPlatform scoped(platform);
    InitProgramDefaults();
    CZorader_ezDoc doc;
    if (option == "--spread" || option == "--dense") {
        bench::FillSpreadPlan(doc, option == "--spread" ? bench::kSpreadHalfSide : bench::kDenseHalfSide);
    } else {
        bench::FillSitePlan(doc, option.empty() ? bench::kSiteShapes : std::atoi(option.c_str()));
    }
    const FileResult saved = SaveDrawingFile(doc, out);
    if (!saved.ok()) {
        std::fprintf(stderr, "make_site_drawing: %s\n", saved.message.c_str());
        return 1;
    }
    return 0;
}
