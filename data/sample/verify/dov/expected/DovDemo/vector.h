// vector.h: points and directions of the drawing, in drawing units.
#ifndef PI_VECTOR_H_INCLUDED
#define PI_VECTOR_H_INCLUDED

#include <cmath>

struct PIVector {
    double x;
    double y;
    double z;
};

inline PIVector operator+(const PIVector& a, const PIVector& b) {
    return PIVector{a.x + b.x, a.y + b.y, a.z + b.z};
}

inline PIVector operator-(const PIVector& a, const PIVector& b) {
    return PIVector{a.x - b.x, a.y - b.y, a.z - b.z};
}

inline PIVector operator*(const PIVector& a, double factor) {
    return PIVector{a.x * factor, a.y * factor, a.z * factor};
}

inline double PIDot(const PIVector& a, const PIVector& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline double PILength(const PIVector& a) {
    return std::sqrt(PIDot(a, a));
}

#endif
