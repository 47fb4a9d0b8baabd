#include "model/document.h"

#include <algorithm>
#include <iterator>

#include "model/layers.h"
#include "model/visible_layers.h"

namespace marquetta {

CShape& CZorader_ezDoc::AddCurrentShape() {
    CShape& shape = m_shapes.Append(m_current);
    for (uint32_t& word : shape.m_reserved) {
        word = 0;
    }
    if (!m_building && m_history.Recording()) {
        m_history.RecordInserted({m_shapes.size() - 1, 1});
    }
    m_modified = true;
    return shape;
}

void CZorader_ezDoc::SetBuilding(bool building) {
    m_building = building;
    m_shapes.SetJournalled(!building);
}

CShape& CZorader_ezDoc::AppendShape(std::unique_ptr<CShape> shape) { return AppendShape(*shape); }

CShape& CZorader_ezDoc::AppendShape(const CShape& shape) {
    CShape& appended = m_shapes.Append(shape);
    if (!m_building && m_history.Recording()) {
        m_history.RecordInserted({m_shapes.size() - 1, 1});
    }
    return appended;
}

CShape& CZorader_ezDoc::InsertShape(size_t position, const CShape& shape) {
    position = std::min(position, m_shapes.size());
    CShape& inserted = m_shapes.Insert(position, shape);
    if (m_history.Recording()) {
        m_history.RecordInserted({position, 1});
    }
    m_modified = true;
    g_displayListValid = 0;
    return inserted;
}

void CZorader_ezDoc::DeleteAllShapes() {
    // The history may hold references to these shapes and the shapes once erased.
    m_history.Clear();
    m_shapes.Clear();
}

void CZorader_ezDoc::RemoveShape(ShapeList::iterator it) {
    DetachedShapes removed = m_shapes.Detach({{it.Position(), 1}});
    if (m_history.Recording()) {
        m_history.RecordRemoved(std::move(removed));
    }
    m_modified = true;
    g_displayListValid = 0;
}

void CZorader_ezDoc::RemoveShape(const CShape* shape) {
    const uint32_t slot = m_shapes.SlotOf(shape);
    if (slot != ShapeList::kNoPosition) {
        RemoveShape(m_shapes.begin() + m_shapes.PositionOfSlot(slot));
    }
}

void CZorader_ezDoc::SelectAllVisible() {
    VisibleLayers visible(m_shapes);
    const bool recording = m_history.Recording();
    for (const ShapeRef& shape : m_shapes) {
        if (visible(shape.Slot()) && shape->m_bSelected != 1) {
            if (recording) {
                m_history.RecordSelection(*shape, shape->m_bSelected, 1);
            }
            shape->m_bSelected = 1;
        }
    }
    m_shapes.NoteSelectionOfAll();
    g_displayListValid = 0;
}

void CZorader_ezDoc::SetSelected(CShape& shape, bool selected) {
    SetSelectedFlag(shape, selected ? 1 : 0);
}

void CZorader_ezDoc::SetSelectedFlag(CShape& shape, int32_t flag) {
    if (shape.m_bSelected != flag) {
        if (m_history.Recording()) {
            m_history.RecordSelection(shape, shape.m_bSelected, flag);
        }
        shape.m_bSelected = flag;
        m_shapes.NoteChange(shape, ShapeChange::Selection);
        g_displayListValid = 0;
    }
}

void CZorader_ezDoc::DeselectAll() {
    const bool recording = m_history.Recording();
    for (const ShapeRef& shape : m_shapes) {
        if (shape->m_bSelected != 0) {
            if (recording) {
                m_history.RecordSelection(*shape, shape->m_bSelected, 0);
            }
            shape->m_bSelected = 0;
        }
    }
    m_shapes.NoteSelectionOfAll();
    g_displayListValid = 0;
}

bool CZorader_ezDoc::AnySelected() const {
    for (const auto& shape : m_shapes) {
        if (shape->IsSelected()) {
            return true;
        }
    }
    return false;
}

template <class Predicate>
size_t CZorader_ezDoc::RemoveWhere(Predicate remove) {
    // The places first (runs of neighbours), then every shape out in one walk.
    DetachedShapes places;
    for (size_t i = 0; i < m_shapes.size(); ++i) {
        if (remove(*m_shapes[i])) {
            places.AddPlace(i);
        }
    }
    DetachedShapes removed = m_shapes.Detach(std::move(places.runs));
    const size_t count = removed.Count();
    if (count > 0 && m_history.Recording()) {
        m_history.RecordRemoved(std::move(removed));
    }
    m_modified = true;
    g_displayListValid = 0;
    return count;
}

size_t CZorader_ezDoc::EraseSelected() {
    return RemoveWhere([](const CShape& shape) { return shape.IsSelected(); });
}

void CZorader_ezDoc::SetShapeLayer(CShape& shape, const std::string& name) {
    if (shape.m_strLayer == name) {
        return;
    }
    if (m_history.Recording()) {
        m_history.RecordLayer(shape, name);
    }
    shape.m_strLayer = name;
    m_shapes.NoteChange(shape, ShapeChange::Changed);
    m_modified = true;
    g_displayListValid = 0;
}

size_t CZorader_ezDoc::CountShapesOnLayer(const std::string& name) const {
    size_t count = 0;
    for (const ShapeRef& shape : m_shapes) {
        count += shape->m_strLayer == name ? 1 : 0;
    }
    return count;
}

bool CZorader_ezDoc::RenameLayer(int index, const std::string& name) {
    if (index < 0 || index >= g_layerCount || index >= kLayerSlots ||
        g_layerNames[index] == name || CheckLayerName(name, index) != LayerNameProblem::None) {
        return false;
    }
    const std::string old = g_layerNames[index];
    for (const ShapeRef& shape : m_shapes) {
        if (shape->m_strLayer == old) {
            SetShapeLayer(*shape, name);
        }
    }
    LayerSlot slot = GetLayerSlot(index);
    slot.name = name;
    SetLayerSlot(index, slot);
    if (m_currentLayer == old) {
        m_currentLayer = name;
    }
    m_modified = true;
    return true;
}

bool CZorader_ezDoc::RemoveLayer(int index) {
    if (index < 0 || index >= g_layerCount || index >= kLayerSlots ||
        g_layerNames[index] == m_currentLayer) {
        return false;
    }
    const std::string name = g_layerNames[index];
    RemoveWhere([&name](const CShape& shape) { return shape.m_strLayer == name; });
    for (int i = index; i + 1 < g_layerCount; ++i) {
        SetLayerSlot(i, GetLayerSlot(i + 1));
    }
    SetLayerSlot(g_layerCount - 1, LayerSlot{});
    SetLayerCount(g_layerCount - 1);
    m_modified = true;
    return true;
}

size_t CZorader_ezDoc::MoveSelectedToLayer(int index) {
    if (index < 0 || index >= g_layerCount || index >= kLayerSlots) {
        return 0;
    }
    const std::string name = g_layerNames[index];
    size_t moved = 0;
    for (const ShapeRef& shape : m_shapes) {
        if (shape->IsSelected() && shape->m_strLayer != name) {
            SetShapeLayer(*shape, name);
            ++moved;
        }
    }
    return moved;
}

void CZorader_ezDoc::ReplaceShapes(ShapeList&& shapes) {
    if (!m_shapes.empty()) {
        DetachedShapes old = m_shapes.Detach({{0, m_shapes.size()}});
        if (m_history.Recording()) {
            m_history.RecordRemoved(std::move(old));
        }
    }
    if (m_shapes.DetachedCount() == 0) {
        // Nothing of the old blocks is kept: the new list's blocks are taken as they are.
        m_shapes = std::move(shapes);
    } else {
        // The history keeps shapes in the list's blocks: the new shapes join them.
        m_shapes.Reserve(m_shapes.SlotCount() + shapes.size());
        for (const ShapeRef& shape : shapes) {
            m_shapes.Append(*shape);
        }
        shapes.Clear();
    }
    if (!m_shapes.empty() && m_history.Recording()) {
        m_history.RecordInserted({0, m_shapes.size()});
    }
    g_displayListValid = 0;
}

DetachedShapes CZorader_ezDoc::DetachShapes(std::vector<ShapeRun> runs) {
    DetachedShapes detached = m_shapes.Detach(std::move(runs));
    g_displayListValid = 0;
    return detached;
}

void CZorader_ezDoc::ReattachShapes(DetachedShapes& detached) {
    m_shapes.Reattach(detached);
    g_displayListValid = 0;
}

namespace {

void TranslatePoint(Float3& p, const Float3& base, const Float3& destination) {
    p.x = (p.x + destination.x) - base.x;
    p.y = (p.y + destination.y) - base.y;
    p.z = (p.z + destination.z) - base.z;
}

// The points a move carries: the four of a line (also those a line does not use) or
// of a face; the reference point of the other kinds.
int MovedPointCount(int32_t type) {
    return type == SHAPE_LINE || type == SHAPE_FACE ? 4 : 1;
}

}  // namespace

void CZorader_ezDoc::TranslateShape(CShape& shape, const Float3& base, const Float3& destination) {
    if (m_history.Recording()) {
        m_history.RecordTranslation(shape, base, destination);
    }
    for (int i = 0; i < MovedPointCount(shape.m_nType); ++i) {
        TranslatePoint(shape.m_pt[i], base, destination);
    }
    m_shapes.NoteChange(shape, ShapeChange::Changed);
    m_modified = true;
    g_displayListValid = 0;
}

CShape& CZorader_ezDoc::AddTranslatedCopy(const CShape& source, const Float3& base,
                                          const Float3& destination) {
    m_current.m_nType = source.m_nType;
    for (int i = 0; i < 4; ++i) {
        m_current.m_pt[i] = source.m_pt[i];
    }
    for (int i = 0; i < MovedPointCount(source.m_nType); ++i) {
        TranslatePoint(m_current.m_pt[i], base, destination);
    }
    m_current.m_bSelected = 0;
    SetCurrentLayer(source.m_strLayer);
    for (int c = 0; c < 3; ++c) {
        m_current.m_attr[c] = source.m_attr[c];
    }
    SetCurrentText(source.m_nType == SHAPE_TEXT ? source.m_strText : std::string());
    CShape& copy = AddCurrentShape();
    m_current.m_nType = SHAPE_NONE;
    g_displayListValid = 0;
    return copy;
}

void CZorader_ezDoc::SetShapePoints(CShape& shape, const std::array<Float3, 4>& points,
                                   const std::array<Float3, 4>* normals) {
    if (m_history.Recording()) {
        m_history.RecordPoints(shape, points, normals);
    }
    for (int i = 0; i < 4; ++i) {
        shape.m_pt[i] = points[static_cast<size_t>(i)];
        if (normals != nullptr) {
            shape.m_normal[i] = (*normals)[static_cast<size_t>(i)];
        }
    }
    m_shapes.NoteChange(shape, ShapeChange::Changed);
    m_modified = true;
    g_displayListValid = 0;
}

std::string CZorader_ezDoc::GetTitle() const {
    if (m_pathName.empty()) {
        return kUntitledTitle;
    }
    const auto slash = m_pathName.find_last_of('/');
    return slash == std::string::npos ? m_pathName : m_pathName.substr(slash + 1);
}

void CZorader_ezDoc::NewDrawing() {
    DeleteAllShapes();
    g_displayListValid = 0;
    m_pathName.clear();
    m_currentLayer = kDefaultCurrentLayer;
    m_modified = false;
}

}  // namespace marquetta
