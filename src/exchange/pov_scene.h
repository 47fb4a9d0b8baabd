// The POV-Ray scene of the drawing: the view's camera, the sun of the rendering
// settings and a light at the camera, the sky, the ground plane, one texture per layer
// and one mesh of the triangles of the visible faces, with y up and z negated. The
// render command writes it as "TEMP.pov" in the current folder; marquetta-convert
// writes it for the start-up camera.
#pragma once

#include <string>

#include "model/binary_file.h"
#include "model/document.h"
#include "model/file_errors.h"

namespace marquetta {

inline constexpr const char* kSceneFileName = "TEMP.pov";
// The texture of the ground, also taken by faces whose layer is not in the table.
inline constexpr int kGroundTextureNumber = 99999;

struct SceneCamera {
    double location[3] = {0.0, 0.0, 0.0};
    double lookAt[3] = {0.0, 0.0, 0.0};
    double angle = 0.0;  // horizontal, degrees
};

// The camera of the view from its state and the size and field of view of its last
// paint: where the eye stands, a point one unit along the line of sight, and the
// horizontal angle that shows what the view shows.
SceneCamera ComputeSceneCamera();

// Writes the scene to `path`, replacing the file only once all of it is written. A
// file that cannot be created gives "%s が開けません"; a failure while writing gives
// the file layer's message, which names the copy kept when an in-place rewrite failed.
// The render command writes its scratch scene as SaveTarget::ScratchFile: a link of
// that name is replaced, never followed.
FileResult WritePovScene(const CZorader_ezDoc& doc, const std::string& path,
                         SaveTarget kind = SaveTarget::UsersFile);

}  // namespace marquetta
