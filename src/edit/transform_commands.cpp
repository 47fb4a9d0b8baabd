#include "edit/transform_commands.h"

#include <vector>

#include "edit/command_state.h"
#include "edit/draw_commands.h"
#include "edit/editing_state.h"
#include "edit/modify_commands.h"
#include "edit/picking.h"
#include "edit/view.h"
#include "model/layers.h"
#include "platform/command_ids.h"
#include "platform/platform.h"
#include "ui/transform_dialogs.h"

namespace marquetta {

TransformCommand transformCommand = TransformCommand::Rotate;
double transformValue = 0.0;

namespace {

bool IsMirror() {
    return transformCommand == TransformCommand::Mirror ||
           transformCommand == TransformCommand::MirrorCopy;
}

const char* SelectPrompt() {
    switch (transformCommand) {
        case TransformCommand::Rotate:
            return kPromptRotateSelect;
        case TransformCommand::Mirror:
            return kPromptMirrorSelect;
        case TransformCommand::MirrorCopy:
            return kPromptMirrorCopySelect;
        case TransformCommand::Scale:
            break;
    }
    return kPromptScaleSelect;
}

// The prompt of the point the command waits for.
const char* PointPrompt() {
    switch (transformCommand) {
        case TransformCommand::Rotate:
            return kPromptRotateCentre;
        case TransformCommand::Mirror:
            return basePointSet == 1 ? kPromptMirrorSecond : kPromptMirrorFirst;
        case TransformCommand::MirrorCopy:
            return basePointSet == 1 ? kPromptMirrorCopySecond : kPromptMirrorCopyFirst;
        case TransformCommand::Scale:
            break;
    }
    return kPromptScaleBase;
}

StepKind StepOf(TransformCommand command) {
    switch (command) {
        case TransformCommand::Rotate:
            return StepKind::Rotate;
        case TransformCommand::Mirror:
            return StepKind::Mirror;
        case TransformCommand::MirrorCopy:
            return StepKind::MirrorCopy;
        case TransformCommand::Scale:
            break;
    }
    return StepKind::Scale;
}

// Waiting for a point: rotate and scale show their preview about the cursor from the
// start, so a step is pending (the click is the step's second); mirror's first point
// starts its step as a line's does.
void AwaitPoint() {
    editState = EDIT_TRANSFORM;
    const bool previewAtOnce = !IsMirror() || basePointSet == 1;
    stepPending = previewAtOnce ? 1 : 0;
    rubberBand = previewAtOnce ? 1 : 0;
    CurrentPlatform().SetPrompt(PointPrompt());
    CurrentPlatform().InvalidateView();
}

// The command's work at `point`; the command ends, or on a refusal waits again.
void Finish(CZorader_ezDoc& doc, const Double3& point) {
    const std::optional<ShapeTransform> transform = PendingTransform(point);
    if (!transform) {
        // A mirror line's second point on its first.
        CurrentPlatform().Beep(BeepKind::Exclamation);
        CurrentPlatform().SetPrompt(transformCommand == TransformCommand::MirrorCopy
                                        ? kPromptMirrorCopyLineShort
                                        : kPromptMirrorLineShort);
        stepPending = 1;
        rubberBand = 1;
        return;
    }
    if (!TransformSelection(doc, *transform, transformCommand == TransformCommand::MirrorCopy)) {
        stepPending = 1;  // another point may do
        rubberBand = 1;
        return;
    }
    EndTransform(doc);
}

}  // namespace

bool TransformCarries(const CShape& shape, TransformKind kind) {
    if (!shape.IsSelected() || !IsLayerVisible(shape.m_strLayer)) {
        return false;
    }
    switch (shape.m_nType) {
        case SHAPE_LINE:
        case SHAPE_CIRCLE:
        case SHAPE_ARC:
        case SHAPE_TEXT:
            return true;
        case SHAPE_FACE:
            return kind == TransformKind::Rotate;
        default:
            return false;
    }
}

void StartTransform(CZorader_ezDoc& doc, TransformCommand command) {
    EndAnyPastePlacement(doc);
    doc.History().CommandStarted();
    doc.m_current.m_nType = SHAPE_NONE;
    transformCommand = command;
    stepPending = 0;
    rubberBand = 0;
    basePointSet = 0;
    if (selectionExists == 1) {
        TransformSelectionCollected(doc);
        return;
    }
    editState = EDIT_TRANSFORM_SELECT;
    CurrentPlatform().SetPrompt(SelectPrompt());
}

void TransformSelectionCollected(CZorader_ezDoc& doc) {
    RecomputeSelectionExists(doc);
    if (selectionExists != 1) {
        EndTransform(doc);
        return;
    }
    std::optional<double> value = 1.0;
    if (transformCommand == TransformCommand::Rotate) {
        value = AskRotationAngle();
    } else if (transformCommand == TransformCommand::Scale) {
        value = AskScaleFactor();
    }
    if (!value) {
        EndTransform(doc);  // cancelled: the selection stays
        return;
    }
    transformValue = *value;
    basePointSet = 0;
    AwaitPoint();
}

void TransformClick(CZorader_ezDoc& doc, int x, int y) {
    if (IsMirror() && basePointSet == 0) {
        if (!TakeFirstPoint(doc, x, y, true)) {
            return;
        }
        basePointSet = 1;
        cursorPoint = firstPoint;
        AwaitPoint();
        return;
    }
    computeCursorPoint(x, y, false);
    if (!TakeSecondPoint(doc, x, y)) {
        return;
    }
    Finish(doc, cursorPoint);
}

void MirrorSecondPointAt(CZorader_ezDoc& doc, const Double3& point) {
    cursorPoint = point;
    Finish(doc, point);
}

void EndTransform(CZorader_ezDoc& doc) {
    RecomputeSelectionExists(doc);
    ReturnToIdle();
}

std::optional<ShapeTransform> PendingTransform(const Double3& point) {
    if (editState != EDIT_TRANSFORM) {
        return std::nullopt;
    }
    switch (transformCommand) {
        case TransformCommand::Rotate:
            return ShapeTransform::Rotation(point, transformValue);
        case TransformCommand::Scale:
            return ShapeTransform::Scaling(point, transformValue);
        case TransformCommand::Mirror:
        case TransformCommand::MirrorCopy:
            break;
    }
    if (basePointSet != 1 || !DefinesMirrorLine(firstPoint, point)) {
        return std::nullopt;
    }
    return ShapeTransform::Mirror(firstPoint, point);
}

bool TransformSelection(CZorader_ezDoc& doc, const ShapeTransform& transform, bool copy) {
    // Every result first: one that cannot be stored refuses the whole command. Only the
    // points and normals change, so only they are kept: a million copies of whole
    // shapes, names and texts included, would cost more than turning them.
    struct Change {
        CShape* shape = nullptr;
        std::array<Float3, 4> points;
        std::array<Float3, 4> normals;
    };
    std::vector<Change> changes;
    changes.reserve(doc.m_shapes.size());  // address space only: pages never reached are not touched
    CShape result;
    for (auto& held : doc.m_shapes) {
        CShape& shape = *held;
        if (!TransformCarries(shape, transform.kind)) {
            continue;
        }
        if (!TransformShape(shape, transform, result)) {
            RefuseBeyondRange();
            return false;
        }
        Change& change = changes.emplace_back();
        change.shape = &shape;
        for (size_t i = 0; i < 4; ++i) {
            change.points[i] = result.m_pt[i];
            change.normals[i] = result.m_normal[i];
        }
    }
    if (changes.empty()) {
        return true;
    }
    const TransformCommand command =
        transform.kind == TransformKind::Rotate  ? TransformCommand::Rotate
        : transform.kind == TransformKind::Scale ? TransformCommand::Scale
        : copy                                   ? TransformCommand::MirrorCopy
                                                 : TransformCommand::Mirror;
    UndoStep step(doc.History(), StepOf(command));
    if (copy) {
        // The copies go behind the last shape there was, as copy puts them.
        for (const Change& change : changes) {
            result = *change.shape;
            for (size_t i = 0; i < 4; ++i) {
                result.m_pt[i] = change.points[i];
                result.m_normal[i] = change.normals[i];
            }
            result.m_bSelected = 0;
            for (uint32_t& word : result.m_reserved) {
                word = 0;
            }
            doc.InsertShape(doc.m_shapes.size(), result);
        }
        for (const Change& change : changes) {
            doc.SetSelected(*change.shape, false);
        }
    } else {
        for (const Change& change : changes) {
            // A face's normals turn with it.
            doc.SetShapePoints(*change.shape, change.points,
                               change.shape->m_nType == SHAPE_FACE ? &change.normals : nullptr);
            doc.SetSelected(*change.shape, false);
        }
    }
    g_displayListValid = 0;
    return true;
}

void CZorader_ezView::RegisterTransformCommands() {
    m_commands.On(ID_ROTATE, [this] { StartTransform(m_doc, TransformCommand::Rotate); });
    m_commands.On(ID_MIRROR, [this] { StartTransform(m_doc, TransformCommand::Mirror); });
    m_commands.On(ID_MIRROR_COPY, [this] { StartTransform(m_doc, TransformCommand::MirrorCopy); });
    m_commands.On(ID_SCALE_SHAPES, [this] { StartTransform(m_doc, TransformCommand::Scale); });
}

}  // namespace marquetta
