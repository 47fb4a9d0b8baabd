// Template bodies of paint_frame.h.
#pragma once

#include <cmath>
#include <cstdint>

namespace marquetta {

namespace detail {
// trunc(angle) / 10 + 1 with C integer division, kept in range for any stored value.
inline int64_t ArcStepIndex(double angle) {
    const double t = std::trunc(angle);
    const double clamped = t < -1e15 ? -1e15 : (t > 1e15 ? 1e15 : t);
    return static_cast<int64_t>(clamped) / 10 + 1;
}
}  // namespace detail

template <class PointFn>
void ForEachArcAngle(double start, double end, PointFn&& point) {
    point(start);
    if (std::isfinite(start) && std::isfinite(end) && end > start) {
        const int64_t first = detail::ArcStepIndex(start);
        int64_t last = detail::ArcStepIndex(end);  // exclusive
        // Arcs the program makes span less than a turn. A stored file may hold any
        // angles: beyond two turns one turn of steps is drawn, closing where it
        // began, which shows the same circle without a loop of unbounded length.
        if (last - first > 72) {
            for (int64_t i = first; i < first + 36; ++i) {
                point(static_cast<double>(i * 10));
            }
            point(start);
            return;
        }
        for (int64_t i = first; i < last; ++i) {
            point(static_cast<double>(i * 10));
        }
    }
    point(end);
}

}  // namespace marquetta
