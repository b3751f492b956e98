// viewinfo.h: the view a panel shows, as the host reports it with GetViewInfo.
#ifndef PI_VIEWINFO_H_INCLUDED
#define PI_VIEWINFO_H_INCLUDED

#include "matrix.h"
#include "vector.h"

struct PIViewInfo {
    int width; // in panel pixels
    int height;
    double zoom;      // drawing units per pixel
    PIMatrix toWorld; // panel pixels to drawing coordinates
};

// The drawing point under a pixel of the view.
inline PIVector PIViewToWorld(const PIViewInfo& view, int x, int y) {
    return PITransform(view.toWorld, PIVector{static_cast<double>(x), static_cast<double>(y), 0.0});
}

#endif
