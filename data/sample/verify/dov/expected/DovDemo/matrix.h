// matrix.h: affine transformations between panel, view and drawing coordinates.
#ifndef PI_MATRIX_H_INCLUDED
#define PI_MATRIX_H_INCLUDED

#include "vector.h"

// Row-major; the last row is (0, 0, 0, 1) for every transformation the hosts hand out.
struct PIMatrix {
    double m[4][4];
};

inline PIMatrix PIIdentity() {
    PIMatrix result = {};
    for (int i = 0; i < 4; ++i) {
        result.m[i][i] = 1.0;
    }
    return result;
}

inline PIMatrix operator*(const PIMatrix& a, const PIMatrix& b) {
    PIMatrix result = {};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            for (int k = 0; k < 4; ++k) {
                result.m[row][column] += a.m[row][k] * b.m[k][column];
            }
        }
    }
    return result;
}

inline PIVector PITransform(const PIMatrix& matrix, const PIVector& point) {
    const double* r0 = matrix.m[0];
    const double* r1 = matrix.m[1];
    const double* r2 = matrix.m[2];
    return PIVector{r0[0] * point.x + r0[1] * point.y + r0[2] * point.z + r0[3],
                    r1[0] * point.x + r1[1] * point.y + r1[2] * point.z + r1[3],
                    r2[0] * point.x + r2[1] * point.y + r2[2] * point.z + r2[3]};
}

#endif
