// The drawing list's storage, and shapes taken out of it together with the places they
// held, so that they can be put back exactly where they were.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <vector>

#include "model/shape.h"

namespace marquetta {

using ShapeList = std::list<std::unique_ptr<CShape>>;

// `count` shapes in a row from place `first` (0 = head of the list).
struct ShapeRun {
    size_t first = 0;
    size_t count = 0;
    bool operator==(const ShapeRun&) const = default;
};

// Shapes out of the drawing list, in list order, and the runs of places they held in it,
// ascending and apart. The shapes keep their addresses while they are out.
struct DetachedShapes {
    std::vector<ShapeRun> runs;
    ShapeList shapes;

    size_t Count() const {
        size_t n = 0;
        for (const ShapeRun& run : runs) {
            n += run.count;
        }
        return n;
    }
    // Adds place `index` behind the last run (a place after every place held so far).
    void AddPlace(size_t index) {
        if (!runs.empty() && runs.back().first + runs.back().count == index) {
            ++runs.back().count;
        } else {
            runs.push_back({index, 1});
        }
    }
};

}  // namespace marquetta
