// Building drawings in tests: one call adds a shape of a kind on a layer (created as
// the drawing commands create it) with its first points, the rest of it zero.
#pragma once

#include <initializer_list>
#include <string>

#include "model/document.h"
#include "model/layers.h"

namespace marquetta::testing {

inline CShape& AddShape(CZorader_ezDoc& doc, int type, const std::string& layer,
                        std::initializer_list<Float3> points) {
    EnsureLayer(layer);
    doc.m_current = CShape{};
    doc.m_current.m_nType = type;
    doc.SetCurrentLayer(layer);
    int i = 0;
    for (const Float3& p : points) {
        doc.m_current.m_pt[i++] = p;
    }
    CShape& added = doc.AddCurrentShape();
    doc.m_current = CShape{};
    return added;
}

}  // namespace marquetta::testing
