// The document: the drawing list it owns, the current-shape template the drawing
// commands fill, the modified flag and the file it was loaded from or saved to.
#pragma once

#include <list>
#include <memory>
#include <string>

#include "model/shape.h"

namespace marquetta {

// Title of a drawing that has no file yet.
inline constexpr const char* kUntitledTitle = "無題";

class CZorader_ezDoc {
public:
    using ShapeList = std::list<std::unique_ptr<CShape>>;

    CZorader_ezDoc() = default;
    CZorader_ezDoc(const CZorader_ezDoc&) = delete;
    CZorader_ezDoc& operator=(const CZorader_ezDoc&) = delete;

    // Head to tail, the order in which shapes are drawn, picked, exported and saved.
    // References to shapes stay valid until the shape itself is removed.
    ShapeList m_shapes;
    // Filled by the drawing commands; its type is 0 while no shape is being drawn.
    CShape m_current;

    void SetCurrentLayer(const std::string& name) { m_current.m_strLayer = name; }
    void SetCurrentText(const std::string& text) { m_current.m_strText = text; }

    // Appends a copy of the template (reserved words zeroed) and marks the drawing
    // modified. The caller invalidates the view.
    CShape& AddCurrentShape();
    // Appends a shape as it is, with no change to the modified flag (file loading).
    CShape& AppendShape(std::unique_ptr<CShape> shape);
    void DeleteAllShapes();
    // Unlinks and destroys one shape; marks the drawing modified.
    void RemoveShape(ShapeList::iterator it);
    void RemoveShape(const CShape* shape);

    // Selects every shape on a visible layer (hidden ones keep their flag) and marks
    // the wireframe stale. The modified flag is not touched; the command that calls
    // this records that a selection exists and repaints.
    void SelectAllVisible();

    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }

    // Full path of the drawing's file; empty for an untitled drawing.
    const std::string& GetPathName() const { return m_pathName; }
    void SetPathName(const std::string& path) { m_pathName = path; }
    // The file name without its folder, or "無題".
    std::string GetTitle() const;

    // A new drawing: no shapes, stale wireframe, untitled, unmodified. Layers, the
    // rendering settings and the camera carry over.
    void NewDrawing();

private:
    bool m_modified = false;
    std::string m_pathName;
};

}  // namespace marquetta
