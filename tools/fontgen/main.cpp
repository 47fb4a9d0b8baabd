// marquetta-fontgen: writes the stroke font file from the KST32B stroke font and GNU
// Unifont's Japanese bitmaps, and prints where the glyphs came from.
//
//   marquetta-fontgen [--lff FILE] [--hex FILE] --out FILE
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "fontgen/fontgen.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int Usage() {
    std::cerr << "usage: marquetta-fontgen [--lff KST32B.lff] [--hex unifont_jp.hex] --out FILE\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string lffPath = "/usr/share/librecad/fonts/kst32b.lff";
    std::string hexPath = "/usr/share/unifont/unifont_jp.hex";
    std::string outPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            return Usage();
        }
        if (arg == "--lff") {
            lffPath = argv[++i];
        } else if (arg == "--hex") {
            hexPath = argv[++i];
        } else if (arg == "--out") {
            outPath = argv[++i];
        } else {
            return Usage();
        }
    }
    if (outPath.empty()) {
        return Usage();
    }
    try {
        using namespace marquetta::fontgen;
        const FontBuild build =
            BuildFont(ParseLff(ReadFile(lffPath)), ParseUnifontHex(ReadFile(hexPath)));
        std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(build.file.data()),
                  static_cast<std::streamsize>(build.file.size()));
        out.close();
        if (!out) {
            throw std::runtime_error("cannot write " + outPath);
        }
        std::cout << "characters addressable: " << build.addressable << "\n"
                  << "from KST32B:            " << build.fromStrokeFont << "\n"
                  << "from Unifont:           " << build.fromBitmapFont << "\n"
                  << "without strokes:        " << build.blank << "\n"
                  << "missing:                " << build.missing << "\n"
                  << "records written:        " << build.distinctRecords << "\n"
                  << "largest glyph:          " << build.largestCommands << " commands, "
                  << build.largestRecord << " bytes\n"
                  << "file size:              " << build.file.size() << " bytes\n";
    } catch (const std::exception& e) {
        std::cerr << "marquetta-fontgen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
