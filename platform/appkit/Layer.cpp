#include "platform/appkit/Layer.hpp"

namespace appkit {

std::optional<AffineTransform> AffineTransform::inverted() const {
    double determinant = a * d - b * c;
    if (determinant == 0) return std::nullopt;
    AffineTransform inverse;
    inverse.a = d / determinant;
    inverse.b = -b / determinant;
    inverse.c = -c / determinant;
    inverse.d = a / determinant;
    inverse.tx = -(inverse.a * tx + inverse.c * ty);
    inverse.ty = -(inverse.b * tx + inverse.d * ty);
    return inverse;
}

}  // namespace appkit
