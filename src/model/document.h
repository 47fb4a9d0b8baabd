// The document: the drawing list it owns, the current-shape template the drawing
// commands fill, the modified flag and the file it was loaded from or saved to.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "model/shape.h"
#include "model/shape_index.h"
#include "model/shape_list.h"
#include "model/undo_history.h"

namespace marquetta {

// Title of a drawing that has no file yet.
inline constexpr const char* kUntitledTitle = "無題";
// The current layer of a new drawing (the name DXF gives its default layer).
inline constexpr const char* kDefaultCurrentLayer = "0";

class CZorader_ezDoc {  // NOLINT(cppcoreguidelines-special-member-functions): not copyable, frees nothing by hand
public:
    using ShapeList = marquetta::ShapeList;

    CZorader_ezDoc() : m_history(*this) {}
    CZorader_ezDoc(const CZorader_ezDoc&) = delete;
    CZorader_ezDoc& operator=(const CZorader_ezDoc&) = delete;

    // Head to tail, the order in which shapes are drawn, picked, exported and saved.
    // References to shapes stay valid until the shape itself is destroyed (a shape
    // the history keeps out of the list keeps its address). Read it freely; change
    // shapes only through the operations below, which keep the history, the pick index
    // and the wireframe in step.
    ShapeList m_shapes;
    // Filled by the drawing commands; its type is 0 while no shape is being drawn.
    CShape m_current;

    void SetCurrentLayer(const std::string& name) { m_current.m_strLayer = name; }

    // The layer the user's new shapes go on: "0" in a new or opened drawing. Choosing it
    // changes nothing of the drawing (the layer need not exist yet: the first shape on
    // it makes it); a layer step that changed it takes it back with its undo.
    const std::string& CurrentLayer() const { return m_currentLayer; }
    void ChooseCurrentLayer(const std::string& name) { m_currentLayer = name; }
    void SetCurrentText(const std::string& text) { m_current.m_strText = text; }

    // Appends a copy of the template (reserved words zeroed) and marks the drawing
    // modified. The caller invalidates the view.
    CShape& AddCurrentShape();
    // While a drawing is built whole before anyone sees or edits it (an imported file,
    // which replaces the open drawing only once it has been read to its end), the
    // shapes appended keep no undo record and the list no journal: both would only be
    // thrown away. Readers of the list start again from the whole list afterwards.
    void SetBuilding(bool building);
    // Appends a shape as it is, with no change to the modified flag (file loading).
    CShape& AppendShape(std::unique_ptr<CShape> shape);
    CShape& AppendShape(const CShape& shape);
    // Puts a copy of a shape at `position` in the list (the tail at size() or beyond);
    // marks the drawing modified.
    CShape& InsertShape(size_t position, const CShape& shape);
    // Destroys every shape and forgets the undo history.
    void DeleteAllShapes();
    // Unlinks and destroys one shape; marks the drawing modified.
    void RemoveShape(ShapeList::iterator it);
    void RemoveShape(const CShape* shape);

    // Selects every shape on a visible layer (hidden ones keep their flag) and marks
    // the wireframe stale. The modified flag is not touched; the command that calls
    // this records that a selection exists and repaints.
    void SelectAllVisible();

    // Selection flags. Each of these changes only m_bSelected: the wireframe goes stale
    // (selected shapes are drawn in another colour), the drawing is not marked modified.
    // Setting a flag to the value it has changes nothing.
    void SetSelected(CShape& shape, bool selected);
    // The stored flag exactly as given (undo puts back flags a file held, such as 7).
    void SetSelectedFlag(CShape& shape, int32_t flag);
    // Every shape, whatever its layer.
    void DeselectAll();
    // Whether any shape is selected, whatever its layer.
    bool AnySelected() const;

    // Changes to the drawing. Each marks it modified and the wireframe stale; the
    // command that calls one repaints. Commands change shapes only through these (and
    // AddCurrentShape), so that each change is known with what it changed.
    //
    // Removes and destroys every selected shape, whatever its layer, in one walk;
    // references to other shapes stay valid. The number removed.
    size_t EraseSelected();
    // Moves a shape by destination - base, each coordinate in single precision as
    // (c + destination) - base: all four points of a line or a face, the reference
    // point (m_pt[0]) of a circle, arc or text, whose sizes and angles stay.
    void TranslateShape(CShape& shape, const Float3& base, const Float3& destination);
    // Appends a copy of `source` moved as TranslateShape moves it, made through the
    // template as AddCurrentShape makes shapes: the source's type, points, layer and
    // colour, not selected, the text for a text and an empty text otherwise; the
    // template's other fields (normals) stay as they were. The template's type is 0
    // afterwards.
    CShape& AddTranslatedCopy(const CShape& source, const Float3& base, const Float3& destination);
    // Gives a shape new points (a line trimmed or extended) and, where given, new
    // normals (a face turned); everything else stays.
    void SetShapePoints(CShape& shape, const std::array<Float3, 4>& points,
                        const std::array<Float3, 4>* normals = nullptr);
    // Puts a shape on layer `name` (CP932 bytes); everything else stays.
    void SetShapeLayer(CShape& shape, const std::string& name);
    // The shapes on layer `name`, whatever their selection.
    size_t CountShapesOnLayer(const std::string& name) const;
    // Renames layer `index` and every shape on it, in one walk; the current layer
    // follows. False, changing nothing, for an index not in use, the same name, or a
    // name CheckLayerName refuses.
    bool RenameLayer(int index, const std::string& name);
    // Removes layer `index` with every shape on it, in one walk; the layers after it
    // move up one place. False, changing nothing, for an index not in use and for the
    // current layer.
    bool RemoveLayer(int index);
    // Puts every selected shape on layer `index` (faces and shapes on hidden layers
    // too); the selection stays. The number of shapes that changed layer; none for an
    // index not in use.
    size_t MoveSelectedToLayer(int index);
    // Puts `shapes` in place of every shape there is (an imported drawing), as one change
    // that the history can take back. The modified flag is the caller's. Into an empty
    // list that keeps no shapes for the history, the shapes move as they are.
    void ReplaceShapes(ShapeList&& shapes);

    // Every change above is recorded here, step by step.
    UndoHistory& History() { return m_history; }
    const UndoHistory& History() const { return m_history; }
    // The history's own operations for taking a step back and doing it again: shapes
    // out of the list from the places the runs name (places in the list as it is), and
    // back into the places they held. Neither records anything nor touches the
    // modified flag; both mark the wireframe stale.
    DetachedShapes DetachShapes(std::vector<ShapeRun> runs);
    void ReattachShapes(DetachedShapes& detached);

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

    // The pick index over m_shapes. It follows every change of the list through the
    // list's journal; a click brings it up to date before it asks it.
    ShapeIndex& PickIndex() const { return m_pickIndex; }

private:
    // Removes and destroys every shape `remove` answers true for, in one walk.
    template <class Predicate>
    size_t RemoveWhere(Predicate remove);

    mutable ShapeIndex m_pickIndex;
    std::string m_currentLayer = kDefaultCurrentLayer;
    bool m_modified = false;
    bool m_building = false;
    std::string m_pathName;
    UndoHistory m_history;
};

}  // namespace marquetta
