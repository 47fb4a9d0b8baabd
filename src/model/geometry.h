// Geometry shared by every layer: the single-precision point of stored shapes,
// the two vector helpers of face normals, the program's degree/radian factors and
// the window projection used by picking, text hit tests and the view.
#pragma once

namespace marquetta {

// Stored geometry is single precision; x, y, z in millimetres, y up.
struct Float3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    bool operator==(const Float3&) const = default;
};

// Editing points and settings are double precision.
struct Double3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    bool operator==(const Double3&) const = default;
};

// A window pixel position, y counted from the top unless said otherwise.
struct Double2 {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const Double2&) const = default;
};

// The program computes its own sines and cosines with pi taken as 3.1415927.
inline constexpr double kRadiansPerDegree = 0.01745329277777778;
inline constexpr double kDegreesPerRadian = 57.29577866666166;

// Divides v by its length; a zero vector stays zero.
void Normalize(Float3& v);

// The cross product a x b, normalised.
Float3 UnitNormal(const Float3& a, const Float3& b);

// Column-major 4x4 matrices and a viewport (x, y, width, height), as OpenGL keeps them.
struct ProjectionRef {
    const double* modelview = nullptr;   // 16 values
    const double* projection = nullptr;  // 16 values
    const int* viewport = nullptr;       // 4 values
};

// World point -> window coordinates (y from the bottom, z the depth in 0..1), with the
// exact arithmetic of gluProject. Returns false when the point's clip w is 0.
bool ProjectToWindow(double objX, double objY, double objZ, const ProjectionRef& t, double& winX,
                     double& winY, double& winZ);

// Whether the point (cx, cy) lies on the window segment a-b as the program picks:
// strictly less than 3 pixels to either side of it and strictly between its ends. A
// segment shorter than 0.001 pixel is never hit. Window coordinates, y from the bottom.
bool WindowSegmentHit(double ax, double ay, double bx, double by, double cx, double cy);

}  // namespace marquetta
