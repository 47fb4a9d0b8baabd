// The arithmetic of DXF import in double precision: vectors, the affine maps that place
// block contents, and an entity's own coordinate system (the arbitrary-axis rule of
// the DXF standard). Everything here is in DXF's frame (z up) until the shapes are made.
#pragma once

#include <cmath>

#include "model/geometry.h"

namespace marquetta::dxf {

inline Double3 operator+(const Double3& a, const Double3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Double3 operator-(const Double3& a, const Double3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Double3 operator*(double s, const Double3& a) {
    return {s * a.x, s * a.y, s * a.z};
}
inline Double3 Cross(const Double3& a, const Double3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Dot(const Double3& a, const Double3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline double Length(const Double3& a) {
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}
inline bool IsFinite(const Double3& a) {
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

// p' = x * X + y * Y + z * Z + T: the columns of the linear part and the translation.
struct Affine {
    Double3 X{1.0, 0.0, 0.0};
    Double3 Y{0.0, 1.0, 0.0};
    Double3 Z{0.0, 0.0, 1.0};
    Double3 T{};

    Double3 Apply(const Double3& p) const { return p.x * X + p.y * Y + p.z * Z + T; }
    Double3 Direction(const Double3& v) const { return v.x * X + v.y * Y + v.z * Z; }
    // This after `inner`: inner is applied first.
    Affine After(const Affine& inner) const {
        return {Direction(inner.X), Direction(inner.Y), Direction(inner.Z), Apply(inner.T)};
    }
    // Whether the linear part is s times the identity with s > 0 (a change of units or
    // nothing at all): sizes are then multiplied by s and angles stay as they are.
    bool IsPlainScale() const {
        return X.y == 0.0 && X.z == 0.0 && Y.x == 0.0 && Y.z == 0.0 && Z.x == 0.0 &&
               Z.y == 0.0 && X.x > 0.0 && X.x == Y.y && X.x == Z.z;
    }
    // The largest factor by which the map can stretch a length (a bound, not exact).
    double Stretch() const { return std::sqrt(Dot(X, X) + Dot(Y, Y) + Dot(Z, Z)); }
};

inline Affine Translation(const Double3& t) {
    Affine a;
    a.T = t;
    return a;
}

inline Affine Scaling(double s) {
    Affine a;
    a.X = {s, 0.0, 0.0};
    a.Y = {0.0, s, 0.0};
    a.Z = {0.0, 0.0, s};
    return a;
}

// The map from an entity's own coordinate system (OCS) to the world, for the
// extrusion direction N: the arbitrary-axis rule, with N made a unit vector. A
// direction of zero length (or not finite) is taken as straight up.
inline Affine OcsToWorld(Double3 n) {
    const double length = Length(n);
    if (!(length > 0.0) || !std::isfinite(length)) {
        return Affine{};
    }
    n = (1.0 / length) * n;
    if (n.x == 0.0 && n.y == 0.0 && n.z > 0.0) {
        return Affine{};
    }
    Double3 ax = std::fabs(n.x) < 0.015625 && std::fabs(n.y) < 0.015625
                     ? Double3{n.z, 0.0, -n.x}
                     : Double3{-n.y, n.x, 0.0};
    ax = (1.0 / Length(ax)) * ax;
    Affine a;
    a.X = ax;
    a.Y = Cross(n, ax);
    a.Z = n;
    return a;
}

}  // namespace marquetta::dxf
