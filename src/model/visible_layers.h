// Whether the layer of a shape of a drawing list is shown, looked up once per layer
// name in a walk over the list rather than by comparing names for every shape.
#pragma once

#include <cstdint>
#include <vector>

#include "model/layers.h"
#include "model/shape_list.h"

namespace marquetta {

class VisibleLayers {
  public:
    explicit VisibleLayers(const ShapeList& list) : m_list(list), m_known(list.LayerKeyCount(), kUnknown) {}

    // The shape in `slot` is on a shown layer (IsLayerVisible of its name).
    bool operator()(uint32_t slot) {
        const uint32_t key = m_list.LayerKeyOf(slot);
        if (key >= m_known.size()) {
            m_known.resize(key + 1, kUnknown);
        }
        if (m_known[key] == kUnknown) {
            m_known[key] = IsLayerVisible(m_list.LayerName(key)) ? 1 : 0;
        }
        return m_known[key] == 1;
    }

  private:
    static constexpr int8_t kUnknown = -1;
    const ShapeList& m_list;
    std::vector<int8_t> m_known;
};

}  // namespace marquetta
