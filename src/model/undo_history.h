// The undo history of a drawing: every change a user makes is one step that can be
// undone and redone. A step keeps what it changed, not a copy of the drawing: the
// shapes it added or removed (the very objects, with their places in the list), the old
// points of the shapes it moved or reshaped, the selection flags it changed, the layer
// slots and rendering settings it changed, the shapes it put on other layers and the
// drawing's file name and current layer if those changed.
//
// The document records its own operations here; the commands only mark where a step
// begins and ends (UndoStep) and where a click command begins. Changes to selection
// flags outside a step are not steps themselves, but they are kept too, so that undoing
// a step brings back the drawing exactly as it was before it, selection included: as
// it was when its command began, for the selecting and picking a command does on its
// way to the step (a move collecting its shapes, offset and stretch picking lines)
// belongs to the step. What such picking left selected (a stretch's boundary) is no
// selection of the user's: where undo or redo reach the state after the step, it is
// not selected. Undo and redo put the drawing back through the document's, the layer
// table's and the rendering settings' own operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/geometry.h"
#include "model/render_settings.h"
#include "model/shape_list.h"

namespace marquetta {

class CZorader_ezDoc;
class ChangeSet;
struct LayerTableCopy;

// What a step did, for the undo and redo captions.
enum class StepKind {
    Edit,  // a change made outside any named step
    Line,
    Circle,
    Arc,
    Text,
    TextImport,
    Erase,
    Move,
    Copy,
    Offset,
    Stretch,
    DxfImport,
    Insert,
    Layers,
    Paste,
    ChangeLayer,
    RenderSettings,
    Rotate,
    Mirror,
    MirrorCopy,
    Scale,
    Fillet,
    Chamfer,
    Trim,
    Rectangle,
    Dimension,
};

// The step's short name in the menu ("移動").
const char* StepName(StepKind kind);

class UndoHistory {
  public:
    static constexpr size_t kDefaultMaxSteps = 100;
    static constexpr size_t kDefaultMaxBytes = size_t{256} << 20;

    explicit UndoHistory(CZorader_ezDoc& doc);
    ~UndoHistory();
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    // The oldest steps go once there are more than `steps` of them or they take more
    // than `bytes`; the newest step always stays. Of a history partly undone the
    // oldest steps done go first, then the last steps undone; one step stays.
    void SetLimits(size_t steps, size_t bytes);

    // A command that makes its steps with clicks begins (draw, move, copy, offset,
    // stretch): its selecting and picking from here on belongs to its next step.
    void CommandStarted();
    // A step begins and ends; nested pairs belong to the outermost. A step that changed
    // nothing but selection flags is no step. Erase, the imports, insert, layers and
    // paste are commands of their own and begin there. With `extendsPaste`, a step
    // that directly follows a paste step becomes part of it (placing what was pasted).
    void Begin(StepKind kind, bool extendsPaste = false);
    void End();

    bool CanUndo() const;
    bool CanRedo() const;
    // The step the next undo or redo takes back or does again.
    std::optional<StepKind> NextUndo() const;
    std::optional<StepKind> NextRedo() const;
    // Puts the drawing back as it was before the last step (or after the next one): the
    // shapes, their order and every field, the selection, the layer table, the tracked
    // selection flag and the modified flag (clear exactly at the state last saved).
    // False when there was nothing to do. Not within a step.
    bool Undo();
    bool Redo();
    // Takes back the last step, of `kind`, and forgets it, as if it had never been
    // made: no redo brings it back. False, changing nothing, when the last step is
    // another or has been undone, or a step is being recorded.
    bool Withdraw(StepKind kind);

    // Forgets every step (a new or opened drawing); the drawing as it is counts as saved.
    void Clear();
    // The drawing as it is now is the one in its file.
    void MarkSaved();

    // The program-wide flag that says a selection exists: undo and redo set it from the
    // selected flags they put back. Not owned.
    void TrackSelectionFlag(int* flag) { m_selectionFlag = flag; }
    // A reference to a shape of the drawing that undo and redo set to null when they
    // take its shape out of the drawing. Not owned.
    void TrackShapeReference(CShape** reference) { m_references.push_back(reference); }

    // Memory the steps take (the shapes they hold and their texts included), and their
    // number.
    size_t Bytes() const;
    size_t StepCount() const;

  private:
    friend class CZorader_ezDoc;

    // The document's operations report here while no undo or redo is putting them back.
    bool Recording() const { return !m_applying; }
    void RecordSelection(CShape& shape, int32_t before, int32_t after);
    void RecordTranslation(CShape& shape, const Float3& base, const Float3& destination);
    void RecordPoints(CShape& shape, const std::array<Float3, 4>& after,
                      const std::array<Float3, 4>* normalsAfter);
    void RecordLayer(CShape& shape, const std::string& after);
    void RecordInserted(ShapeRun run);
    void RecordRemoved(DetachedShapes removed);

    struct Entry;

    ChangeSet& Target();
    void CompactIfLarge(ChangeSet& changes);
    void SetSelectionFlag(int value);
    void Push(std::unique_ptr<Entry> entry);
    void DropRedo();
    void Trim();
    void DropOldest();
    void DropNewestUndone();
    // Drops the steps undone and keeps the changes before the command as an entry: a
    // step of its own when they are more than selection flags.
    void CommitLooseChanges();
    // Changes outside steps that are more than selection flags.
    bool LooseStructural() const;
    void RevertLooseSelection();
    bool StepsBetween(size_t a, size_t b) const;
    void Finish();

    CZorader_ezDoc& m_doc;
    std::deque<std::unique_ptr<Entry>> m_entries;
    size_t m_cursor = 0;  // entries before it are done, from it on undone
    std::optional<size_t> m_saved = size_t{0};
    size_t m_bytes = 0;
    size_t m_maxSteps = kDefaultMaxSteps;
    size_t m_maxBytes = kDefaultMaxBytes;

    // Changes since the last step, undo or redo that belong to no step: those before the
    // command that runs began, and those since (which go with its next step).
    std::unique_ptr<ChangeSet> m_loose;
    std::unique_ptr<ChangeSet> m_command;

    // The step being recorded.
    int m_depth = 0;
    std::unique_ptr<ChangeSet> m_open;
    StepKind m_openKind = StepKind::Edit;
    bool m_openExtendsPaste = false;
    std::unique_ptr<LayerTableCopy> m_layersAtBegin;
    std::string m_pathAtBegin;
    std::string m_currentLayerAtBegin;
    RenderSettings m_settingsAtBegin;

    bool m_applying = false;
    int* m_selectionFlag = nullptr;
    std::vector<CShape**> m_references;
};

// Marks one step for the life of a scope.
class UndoStep {
  public:
    UndoStep(UndoHistory& history, StepKind kind, bool extendsPaste = false) : m_history(history) {
        m_history.Begin(kind, extendsPaste);
    }
    ~UndoStep() { m_history.End(); }
    UndoStep(const UndoStep&) = delete;
    UndoStep& operator=(const UndoStep&) = delete;

  private:
    UndoHistory& m_history;
};

}  // namespace marquetta
