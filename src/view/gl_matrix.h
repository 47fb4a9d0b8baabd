// The matrix arithmetic of the fixed-function OpenGL calls the paint uses, done in the
// core in double precision: the paint builds its transforms here, loads the results into
// GL and keeps them for picking, so picking never needs a GL context. Matrices are
// column-major double[16], as GL stores them; every Multiply… post-multiplies the
// current matrix, as the GL call of the same name does.
#pragma once

namespace marquetta {

// The pi of the GL and GLU arithmetic, which is not the program's own 3.1415927.
inline constexpr double kGlPi = 3.14159265358979323846;

void LoadIdentity(double m[16]);
// m = m * n.
void MultiplyMatrix(double m[16], const double n[16]);
// glTranslated.
void MultiplyTranslate(double m[16], double x, double y, double z);
// glRotated: `angle` degrees counter-clockwise about the axis (x, y, z), which is
// normalised first; a zero axis leaves m unchanged.
void MultiplyRotate(double m[16], double angle, double x, double y, double z);
// gluPerspective. Like GLU it leaves m unchanged when zFar equals zNear, when the sine
// of half the field of view is 0 or when the aspect is 0.
void MultiplyPerspective(double m[16], double fovy, double aspect, double zNear, double zFar);

}  // namespace marquetta
