// The render command: the scene "TEMP.pov" written in the current folder, and POV-Ray
// started on it there, not waited for. The renderer is looked up once at start-up as
// "povray" on the PATH. The picture of an earlier render ("TEMP.png") is removed before
// the start and the renderer is told to write a PNG under that name, whatever a
// "povray.ini" in the folder says. When it ends well, the picture it wrote opens in a
// window; when it fails or writes no picture, the user sees the last lines it wrote.
// One render runs at a time: while it does, the status line says so and another render
// command is refused with a message.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/document.h"

namespace marquetta {

inline constexpr const char* kRendererName = "povray";
inline constexpr const char* kPictureFileName = "TEMP.png";
// Lines of the renderer's output shown when it fails.
inline constexpr size_t kRendererOutputLines = 12;
// The status line while a render runs.
inline constexpr const char* kRenderingStatusText = "POV-Ray でレンダリング中です";

// The renderer the render command starts; empty when there is none.
extern std::string g_rendererPath;

// The first folder of a PATH value (folders separated by ":", an empty one meaning
// the current folder) that holds an executable file named `name`, joined with the
// name and made absolute; empty when there is none.
std::string FindProgramOnPath(std::string_view pathValue, const std::string& name);

// Start-up: looks for the renderer on this process's PATH; no render runs.
void InitRendererDefaults();

// The renderer's arguments: the scene, the picture as a PNG file and the view's size,
// "+ITEMP.pov +OTEMP.png +FN +W%d +H%d".
std::vector<std::string> RendererArguments();

// Whether a renderer started by the render command is still running.
bool RenderRunning();

// The last `count` lines of a program's output that hold more than blanks; a carriage
// return ends a line too (progress lines are rewritten with it).
std::string LastLines(std::string_view output, size_t count);

// Writes the scene into the current folder and starts the renderer on it. A scene
// that cannot be written, or an earlier picture that cannot be removed, is reported and
// nothing starts; without a renderer the scene is still written and the user is told
// so. While an earlier render runs, nothing is written and the user is told why.
void RenderDrawing(const CZorader_ezDoc& doc);

}  // namespace marquetta
