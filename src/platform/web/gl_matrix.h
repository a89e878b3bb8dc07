// The matrices of our GL layer in the browser (gl.cpp), worked out on the
// CPU as glTranslated, glRotated and glMultMatrix define them.
#pragma once

namespace plat::web {

struct Matrix {
    double m[16];  // column after column, as OpenGL keeps it
};

extern const Matrix kIdentity;

Matrix Multiply(const Matrix& a, const Matrix& b);
// m times a translation or a rotation, as glTranslated and glRotated make it.
void Translate(Matrix& m, double x, double y, double z);
void Rotate(Matrix& m, double degrees, double x, double y, double z);

}  // namespace plat::web
