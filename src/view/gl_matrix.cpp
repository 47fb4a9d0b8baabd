#include "view/gl_matrix.h"

#include <cmath>

namespace marquetta {

void LoadIdentity(double m[16]) {
    for (int i = 0; i < 16; ++i) {
        m[i] = (i % 5 == 0) ? 1.0 : 0.0;
    }
}

void MultiplyMatrix(double m[16], const double n[16]) {
    double product[16];
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += m[k * 4 + row] * n[column * 4 + k];
            }
            product[column * 4 + row] = sum;
        }
    }
    for (int i = 0; i < 16; ++i) {
        m[i] = product[i];
    }
}

void MultiplyTranslate(double m[16], double x, double y, double z) {
    double t[16];
    LoadIdentity(t);
    t[12] = x;
    t[13] = y;
    t[14] = z;
    MultiplyMatrix(m, t);
}

void MultiplyRotate(double m[16], double angle, double x, double y, double z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0) {
        return;
    }
    if (length != 1.0) {
        x /= length;
        y /= length;
        z /= length;
    }
    const double radians = angle * kGlPi / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const double t = 1.0 - c;
    // The rotation matrix u u^T + c (I - u u^T) + s [u]x of the GL reference, in that
    // form so that about a coordinate axis the untouched row and column are exactly
    // 0 and 1.
    double r[16];
    LoadIdentity(r);
    r[0] = x * x + c * (1.0 - x * x);
    r[1] = y * x * t + z * s;
    r[2] = x * z * t - y * s;
    r[4] = x * y * t - z * s;
    r[5] = y * y + c * (1.0 - y * y);
    r[6] = y * z * t + x * s;
    r[8] = x * z * t + y * s;
    r[9] = y * z * t - x * s;
    r[10] = z * z + c * (1.0 - z * z);
    MultiplyMatrix(m, r);
}

void MultiplyPerspective(double m[16], double fovy, double aspect, double zNear, double zFar) {
    const double radians = fovy / 2 * kGlPi / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) {
        return;
    }
    const double cotangent = std::cos(radians) / sine;
    double p[16];
    LoadIdentity(p);
    p[0] = cotangent / aspect;
    p[5] = cotangent;
    p[10] = -(zFar + zNear) / deltaZ;
    p[11] = -1;
    p[14] = -2 * zNear * zFar / deltaZ;
    p[15] = 0;
    MultiplyMatrix(m, p);
}

}  // namespace marquetta
