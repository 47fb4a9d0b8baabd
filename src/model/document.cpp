#include "model/document.h"

#include <algorithm>
#include <iterator>

#include "model/layers.h"

namespace marquetta {

CShape& CZorader_ezDoc::AddCurrentShape() {
    auto shape = std::make_unique<CShape>(m_current);
    for (uint32_t& word : shape->m_reserved) {
        word = 0;
    }
    m_modified = true;
    return AppendShape(std::move(shape));
}

CShape& CZorader_ezDoc::AppendShape(std::unique_ptr<CShape> shape) {
    m_shapes.push_back(std::move(shape));
    if (m_history.Recording()) {
        m_history.RecordInserted({m_shapes.size() - 1, 1});
    }
    return *m_shapes.back();
}

void CZorader_ezDoc::DeleteAllShapes() {
    // The history may hold references to these shapes and the shapes once erased.
    m_history.Clear();
    m_shapes.clear();
}

void CZorader_ezDoc::RemoveShape(ShapeList::iterator it) {
    const auto index = static_cast<size_t>(std::distance(m_shapes.begin(), it));
    DetachedShapes removed;
    removed.runs.push_back({index, 1});
    removed.shapes.splice(removed.shapes.end(), m_shapes, it);
    if (m_history.Recording()) {
        m_history.RecordRemoved(std::move(removed));
    }
    m_modified = true;
    g_displayListValid = 0;
}

void CZorader_ezDoc::RemoveShape(const CShape* shape) {
    for (auto it = m_shapes.begin(); it != m_shapes.end(); ++it) {
        if (it->get() == shape) {
            RemoveShape(it);
            return;
        }
    }
}

void CZorader_ezDoc::SelectAllVisible() {
    for (auto& shape : m_shapes) {
        if (IsLayerVisible(shape->m_strLayer)) {
            SetSelected(*shape, true);
        }
    }
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
        g_displayListValid = 0;
    }
}

void CZorader_ezDoc::DeselectAll() {
    for (auto& shape : m_shapes) {
        SetSelected(*shape, false);
    }
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

size_t CZorader_ezDoc::EraseSelected() {
    DetachedShapes removed;
    size_t index = 0;
    for (auto it = m_shapes.begin(); it != m_shapes.end(); ++index) {
        const auto next = std::next(it);
        if ((*it)->IsSelected()) {
            removed.AddPlace(index);
            removed.shapes.splice(removed.shapes.end(), m_shapes, it);
        }
        it = next;
    }
    const size_t count = removed.shapes.size();
    if (count > 0 && m_history.Recording()) {
        m_history.RecordRemoved(std::move(removed));
    }
    m_modified = true;
    g_displayListValid = 0;
    return count;
}

void CZorader_ezDoc::ReplaceShapes(ShapeList shapes) {
    DetachedShapes old;
    if (!m_shapes.empty()) {
        old.runs.push_back({0, m_shapes.size()});
        old.shapes.splice(old.shapes.end(), m_shapes);
        if (m_history.Recording()) {
            m_history.RecordRemoved(std::move(old));
        }
    }
    m_shapes.splice(m_shapes.end(), shapes);
    if (!m_shapes.empty() && m_history.Recording()) {
        m_history.RecordInserted({0, m_shapes.size()});
    }
    g_displayListValid = 0;
}

CZorader_ezDoc::ShapeList::iterator CZorader_ezDoc::At(size_t index) {
    const size_t size = m_shapes.size();
    if (index >= size) {
        return m_shapes.end();
    }
    if (index <= size / 2) {
        return std::next(m_shapes.begin(), static_cast<std::ptrdiff_t>(index));
    }
    return std::prev(m_shapes.end(), static_cast<std::ptrdiff_t>(size - index));
}

DetachedShapes CZorader_ezDoc::DetachShapes(std::vector<ShapeRun> runs) {
    DetachedShapes detached;
    if (!runs.empty()) {
        const size_t size = m_shapes.size();
        auto it = At(runs.front().first);
        size_t index = runs.front().first;
        for (const ShapeRun& run : runs) {
            it = std::next(it, static_cast<std::ptrdiff_t>(run.first - index));
            index = run.first + run.count;  // where `it` stood before anything was taken
            // A run to the end of the list needs no walk; the whole list moves at once.
            auto last = index == size ? m_shapes.end()
                                      : std::next(it, static_cast<std::ptrdiff_t>(run.count));
            if (it == m_shapes.begin() && last == m_shapes.end()) {
                detached.shapes.splice(detached.shapes.end(), m_shapes);
            } else {
                detached.shapes.splice(detached.shapes.end(), m_shapes, it, last);
            }
            it = last;
        }
    }
    detached.runs = std::move(runs);
    g_displayListValid = 0;
    return detached;
}

void CZorader_ezDoc::ReattachShapes(DetachedShapes& detached) {
    if (!detached.runs.empty()) {
        // `it` is the node that will follow the next run; `index` its place once the
        // runs before it are back.
        auto it = At(detached.runs.front().first);
        size_t index = detached.runs.front().first;
        for (const ShapeRun& run : detached.runs) {
            it = std::next(it, static_cast<std::ptrdiff_t>(run.first - index));
            if (&run == &detached.runs.back()) {
                m_shapes.splice(it, detached.shapes);  // the last run: all that is left
                break;
            }
            auto last = std::next(detached.shapes.begin(), static_cast<std::ptrdiff_t>(run.count));
            m_shapes.splice(it, detached.shapes, detached.shapes.begin(), last);
            index = run.first + run.count;
        }
    }
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

void CZorader_ezDoc::SetShapePoints(CShape& shape, const std::array<Float3, 4>& points) {
    if (m_history.Recording()) {
        Float3 after[4];
        std::copy(points.begin(), points.end(), after);
        m_history.RecordPoints(shape, after);
    }
    for (int i = 0; i < 4; ++i) {
        shape.m_pt[i] = points[i];
    }
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
    m_modified = false;
}

}  // namespace marquetta
