#include "gui/gl_frame_painter.h"

#include <GL/gl.h>

#include <cstdint>
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

// White (or each layer's colour) with a magenta run per selected shape, in list order. The core keeps polylines;
// each run goes to GL as separate segments, indices into the core's vertex array a
// chunk at a time, so the driver draws the same lines as from an array of segments
// while no such array is ever held, and shades each vertex once.
void DrawWireframe(const Wireframe& wireframe) {
    if (wireframe.runs.empty()) {
        return;
    }
    constexpr size_t kChunkIndices = 65536;
    std::vector<uint32_t> chunk(kChunkIndices);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, wireframe.vertices.data());
    for (const WireframeRun& run : wireframe.runs) {
        if (run.selected) {
            glColor4fv(kSelectedColor);
        } else {
            // White, or the layer's colour ("画層の色で表示").
            glColor3ub(static_cast<GLubyte>(run.pen >> 16), static_cast<GLubyte>(run.pen >> 8),
                       static_cast<GLubyte>(run.pen));
        }
        const uint32_t end = run.firstVertex + run.vertexCount;
        for (uint32_t next = run.firstVertex; next < end;) {
            const uint32_t from = next;
            const size_t count = wireframe.Segments(next, end, chunk.data(), kChunkIndices);
            if (count > 0) {
                glDrawRangeElements(GL_LINES, from, chunk[count - 1], static_cast<GLsizei>(count),
                                    GL_UNSIGNED_INT, chunk.data());
            }
        }
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
void DrawOverlay(const std::vector<float>& xyz, int width, int height) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    DrawSegments(xyz, kPreviewColor);
}

}  // namespace

void DrawPaintFrame(const PaintFrame& frame, int width, int height) {
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
        DrawWireframe(*frame.wireframe);
    }
    glEnable(GL_LIGHTING);
    DrawFaces(frame.faces);
    glPopMatrix();
    glPopAttrib();
    glPopMatrix();

    DrawOverlay(frame.overlaySegments, width, height);
    glFlush();
}

}  // namespace marquetta
