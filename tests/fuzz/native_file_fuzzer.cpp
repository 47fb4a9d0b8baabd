// The native file's reader over arbitrary bytes. A file that fails leaves the drawing,
// the layers and the settings as they were; a file read whole is saved and read back
// to the same drawing.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "model/native_file.h"
#include "model/render_settings.h"

namespace marquetta::fuzz {
namespace {

struct Settings {
    std::string sky = g_skyTexture;
    std::string ground = g_groundTexture;
    double sun[4] = {g_sunNorth, g_sunSeason, g_sunLatitude, g_sunHour};

    bool Unchanged() const {
        const double now[4] = {g_sunNorth, g_sunSeason, g_sunLatitude, g_sunHour};
        return sky == g_skyTexture && ground == g_groundTexture && SameBits(sun, now, sizeof sun);
    }
};

// A folder for the saved copies, in memory where the system has one; removed at exit.
const std::string& SaveFolder() {
    static const std::string folder = [] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm"
                                                      : std::filesystem::temp_directory_path();
        std::string pattern = (base / "marquetta-fuzz.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        static std::string removeAtExit;
        removeAtExit = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(removeAtExit, ignored);
        });
        return pattern;
    }();
    return folder;
}

}  // namespace
}  // namespace marquetta::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marquetta;
    using namespace marquetta::fuzz;
    StartRun();
    CZorader_ezDoc doc;
    AddStartingShapes(doc);
    const size_t shapesBefore = doc.m_shapes.size();
    const LayerSnapshot layers;
    const Settings settings;

    const LoadResult loaded = LoadDrawingBytes(doc, AsText(data, size), "fuzz.trn");
    if (!loaded.ok()) {
        FUZZ_CHECK(!loaded.message.empty());
        FUZZ_CHECK(doc.m_shapes.size() == shapesBefore);
        FUZZ_CHECK(layers.Unchanged() && settings.Unchanged());
        return 0;
    }
    FUZZ_CHECK(!doc.IsModified());
    if (loaded.emptyFile) {
        FUZZ_CHECK(size == 0 && doc.m_shapes.size() == shapesBefore);
        return 0;
    }
    FUZZ_CHECK(g_layerCount >= 0 && g_layerCount <= kLayerSlots);

    // Saved and read back, the drawing is the same.
    const std::string path = SaveFolder() + "/copy.trn";
    const FileResult saved = SaveDrawingFile(doc, path);
    FUZZ_CHECK(saved.ok());
    const LayerSnapshot loadedLayers;
    const Settings loadedSettings;
    CZorader_ezDoc copy;
    const LoadResult reloaded = LoadDrawingFile(copy, path);
    FUZZ_CHECK(reloaded.ok() && !reloaded.foreignBanner);
    FUZZ_CHECK(SameShapes(doc, copy));
    FUZZ_CHECK(loadedLayers.Unchanged() && loadedSettings.Unchanged());
    return 0;
}
