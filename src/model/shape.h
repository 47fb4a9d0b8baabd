// One drawing entity. The fields, their order and their meaning per kind are those of
// the native file: a shape body is stored as these values one after the other.
#pragma once

#include <cstdint>
#include <string>

#include "model/geometry.h"

namespace marquetta {

enum ShapeType : int32_t {
    SHAPE_NONE = 0,  // only in the current-shape template: nothing is being drawn
    SHAPE_LINE = 1,
    SHAPE_CIRCLE = 2,
    SHAPE_ARC = 3,
    SHAPE_FACE = 4,
    SHAPE_TEXT = 5,
};

// Per kind, m_pt holds:
//   line    m_pt[0] start, m_pt[1] end
//   circle  m_pt[0] centre, m_pt[1].x radius
//   arc     m_pt[0] centre, m_pt[1].x radius, .y start angle, .z end angle (degrees)
//   face    m_pt[0..3] corners in order, m_normal[0..3] their normals
//   text    m_pt[0] insertion point, m_pt[1].x height, .y width, .z angle (degrees)
// Points and parameters a kind does not name are still copied, saved and loaded.
struct CShape {
    int32_t m_nType = SHAPE_NONE;
    int32_t m_bSelected = 0;  // 1 = selected; any other value counts as not selected
    std::string m_strLayer;   // CP932 bytes
    float m_attr[3] = {0.0f, 0.0f, 0.0f};
    uint32_t m_reserved[6] = {0, 0, 0, 0, 0, 0};
    Float3 m_pt[4];
    Float3 m_normal[4];
    std::string m_strText;  // CP932 bytes; empty for kinds other than text

    bool IsSelected() const { return m_bSelected == 1; }
    bool operator==(const CShape&) const = default;
};

}  // namespace marquetta
