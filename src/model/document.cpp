#include "model/document.h"

#include "model/layers.h"

namespace marquetta {

CShape& CZorader_ezDoc::AddCurrentShape() {
    auto shape = std::make_unique<CShape>(m_current);
    for (uint32_t& word : shape->m_reserved) {
        word = 0;
    }
    m_shapes.push_back(std::move(shape));
    m_modified = true;
    return *m_shapes.back();
}

CShape& CZorader_ezDoc::AppendShape(std::unique_ptr<CShape> shape) {
    m_shapes.push_back(std::move(shape));
    return *m_shapes.back();
}

void CZorader_ezDoc::DeleteAllShapes() { m_shapes.clear(); }

void CZorader_ezDoc::RemoveShape(ShapeList::iterator it) {
    m_shapes.erase(it);
    m_modified = true;
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
            shape->m_bSelected = 1;
        }
    }
    g_displayListValid = 0;
}

void CZorader_ezDoc::SetSelected(CShape& shape, bool selected) {
    const int32_t flag = selected ? 1 : 0;
    if (shape.m_bSelected != flag) {
        shape.m_bSelected = flag;
        g_displayListValid = 0;
    }
}

void CZorader_ezDoc::DeselectAll() {
    for (auto& shape : m_shapes) {
        shape->m_bSelected = 0;
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
    const size_t before = m_shapes.size();
    m_shapes.remove_if([](const std::unique_ptr<CShape>& shape) { return shape->IsSelected(); });
    m_modified = true;
    g_displayListValid = 0;
    return before - m_shapes.size();
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
