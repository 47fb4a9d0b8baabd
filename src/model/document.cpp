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
