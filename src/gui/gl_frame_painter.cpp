#include "gui/gl_frame_painter.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace marquetta {
namespace {

void SetLighting() {
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, kGlobalAmbient);
    glLightfv(GL_LIGHT0, GL_AMBIENT, kLightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, kLightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kLightSpecular);
    // With the identity model-view the light's direction is fixed to the eye.
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
    glEnable(GL_LIGHT0);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, kMaterialAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, kMaterialDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kMaterialSpecular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, kMaterialShininess);
}

void DrawPoints(const std::vector<float>& xyz, const float* color) {
    if (xyz.empty()) {
        return;
    }
    glColor4fv(color);
    glBegin(GL_POINTS);
    for (size_t i = 0; i + 2 < xyz.size(); i += 3) {
        glVertex3f(xyz[i], xyz[i + 1], xyz[i + 2]);
    }
    glEnd();
}

void DrawSegments(const std::vector<float>& xyz, const float* color) {
    if (xyz.empty()) {
        return;
    }
    glColor4fv(color);
    glBegin(GL_LINES);
    for (size_t i = 0; i + 2 < xyz.size(); i += 3) {
        glVertex3f(xyz[i], xyz[i + 1], xyz[i + 2]);
    }
    glEnd();
}

// The sheet's edges where the grid is too fine to draw: dotted, one pixel on and one
// off, so that they read as the grid's border rather than as shapes.
void DrawSheetOutline(const std::vector<float>& xyz) {
    if (xyz.empty()) {
        return;
    }
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(1, 0x5555);
    DrawSegments(xyz, kGridColor);
    glDisable(GL_LINE_STIPPLE);
}

// A channel of a colour as GL stores it in the frame: the nearest of 256 levels.
GLubyte ColourByte(float channel) {
    if (!(channel > 0.0f)) {
        return 0;
    }
    return channel >= 1.0f ? GLubyte{255} : static_cast<GLubyte>(std::lround(channel * 255.0f));
}

// Each colour run in list order (white, a selected shape's magenta). The core keeps
// polylines; each run goes to GL as separate segments, indices into the core's vertex array a
// chunk at a time, so the driver draws the same lines as from an array of segments
// while no such array is ever held, and shades each vertex once. Many runs are drawn
// as stretches of touching runs with a colour per vertex (see DrawPaintFrame).
void DrawWireframe(const Wireframe& wireframe, size_t runsOneByOne) {
    const std::vector<WireframeRun>& runs = wireframe.runs;
    if (runs.empty()) {
        return;
    }
    constexpr size_t kChunkIndices = 65536;
    std::vector<uint32_t> chunk(kChunkIndices);
    const auto draw = [&](uint32_t first, uint32_t end) {
        for (uint32_t next = first; next < end;) {
            const uint32_t from = next;
            const size_t count = wireframe.Segments(next, end, chunk.data(), kChunkIndices);
            if (count > 0) {
                glDrawRangeElements(GL_LINES, from, chunk[count - 1], static_cast<GLsizei>(count),
                                    GL_UNSIGNED_INT, chunk.data());
            }
        }
    };
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, wireframe.vertices.data());
    if (runs.size() <= runsOneByOne) {
        for (const WireframeRun& run : runs) {
            glColor4fv(run.color.rgba);
            draw(run.firstVertex, run.firstVertex + run.vertexCount);
        }
    } else {
        // Vertices no run covers (a shape erased since the wireframe was made) are
        // never drawn, so their colours are left unset.
        const auto colours = std::make_unique_for_overwrite<GLubyte[]>(wireframe.VertexCount() * 4);
        for (const WireframeRun& run : runs) {
            const GLubyte rgba[4] = {ColourByte(run.color.rgba[0]), ColourByte(run.color.rgba[1]),
                                     ColourByte(run.color.rgba[2]), ColourByte(run.color.rgba[3])};
            for (size_t v = run.firstVertex; v < size_t{run.firstVertex} + run.vertexCount; ++v) {
                std::memcpy(&colours[v * 4], rgba, sizeof rgba);
            }
        }
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, colours.get());
        for (size_t i = 0; i < runs.size();) {
            const uint32_t first = runs[i].firstVertex;
            uint32_t end = first + runs[i].vertexCount;
            for (++i; i < runs.size() && runs[i].firstVertex == end; ++i) {
                end += runs[i].vertexCount;
            }
            draw(first, end);
        }
        glDisableClientState(GL_COLOR_ARRAY);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
}

void DrawFaces(const std::vector<ShadedFace>& faces) {
    if (faces.empty()) {
        return;
    }
    glBegin(GL_QUADS);
    for (const ShadedFace& face : faces) {
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, face.color);
        for (int i = 0; i < 4; ++i) {
            glNormal3f(face.normals[i].x, face.normals[i].y, face.normals[i].z);
            glVertex3f(face.corners[i].x, face.corners[i].y, face.corners[i].z);
        }
    }
    glEnd();
}

// The overlay's vertices are (x, y, 0) in window coordinates, like every other vertex
// list of the frame.
// Eight pixels drawn, eight left out: the dashes of a crossing window.
constexpr GLushort kCrossingWindowStipple = 0x00FF;

void DrawOverlay(const std::vector<float>& xyz, bool dashed, int width, int height) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    if (dashed) {
        glEnable(GL_LINE_STIPPLE);
        glLineStipple(1, kCrossingWindowStipple);
    }
    DrawSegments(xyz, kPreviewColor);
    glDisable(GL_LINE_STIPPLE);
}

}  // namespace

void DrawPaintFrame(const PaintFrame& frame, int width, int height, size_t runsOneByOne) {
    glClearColor(kBackgroundColor[0], kBackgroundColor[1], kBackgroundColor[2],
                 kBackgroundColor[3]);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);

    glViewport(frame.viewport[0], frame.viewport[1], frame.viewport[2], frame.viewport[3]);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(frame.projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetLighting();
    glPushMatrix();
    glLoadMatrixd(frame.modelview);

    glPushAttrib(GL_LIGHTING_BIT);
    glPushMatrix();
    glDisable(GL_LIGHTING);
    DrawPoints(frame.gridPoints, kGridColor);
    DrawSheetOutline(frame.sheetOutline);
    DrawSegments(frame.previewSegments, kPreviewColor);
    if (frame.wireframe != nullptr) {
        DrawWireframe(*frame.wireframe, runsOneByOne);
    }
    glEnable(GL_LIGHTING);
    DrawFaces(frame.faces);
    glPopMatrix();
    glPopAttrib();
    glPopMatrix();

    DrawOverlay(frame.overlaySegments, frame.overlayDashed, width, height);
    glFlush();
}

}  // namespace marquetta
