#include "components/window/shape/window_shape_win32.h"

#include <vector>

#include "components/common/scoped_gdi_win32.h"
#include "components/window/shape/window_shape.h"

namespace components {

HRGN CreateShapeRegion(int shape, int width, int height) {
    switch (shape) {
    case kShapeEllipse: return CreateEllipticRgn(0, 0, width, height);
    case kShapeRoundedRectangle: {
        int corner = RoundedCornerSize(width, height);
        return CreateRoundRectRgn(0, 0, width, height, corner, corner);
    }
    case kShapeRing: {
        HRGN outer = CreateEllipticRgn(0, 0, width, height);
        ScopedGdiObject<HRGN> inner(CreateEllipticRgn(width / 4, height / 4, width - width / 4, height - height / 4));
        if (outer && inner) CombineRgn(outer, outer, inner.Get(), RGN_DIFF);
        return outer;
    }
    default: break;
    }
    std::vector<ShapePoint> vertices = ShapePolygon(shape, width, height);
    if (vertices.size() < 3) return nullptr;
    std::vector<POINT> points;
    points.reserve(vertices.size());
    for (const ShapePoint& vertex : vertices) points.push_back({vertex.x, vertex.y});
    return CreatePolygonRgn(points.data(), static_cast<int>(points.size()), ALTERNATE);
}

}  // namespace components
