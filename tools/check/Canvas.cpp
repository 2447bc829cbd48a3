// The checker's in-memory pictures.
#include "tools/check/Canvas.h"

#include <algorithm>
#include <cmath>

namespace {

uint8_t mix(uint8_t under, uint8_t over, int alpha)
{
    return uint8_t((under * (255 - alpha) + over * alpha + 127) / 255);
}

}  // namespace

Canvas::Canvas(int canvasWidth, int canvasHeight, Pixel fill) : width(canvasWidth), height(canvasHeight)
{
    rgba.resize(size_t(width) * size_t(height) * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = fill.r;
        rgba[i + 1] = fill.g;
        rgba[i + 2] = fill.b;
        rgba[i + 3] = fill.a;
    }
}

Pixel Canvas::at(int x, int y) const
{
    const uint8_t* p = &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4];
    return {p[0], p[1], p[2], p[3]};
}

void Canvas::set(int x, int y, Pixel pixel)
{
    uint8_t* p = &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4];
    p[0] = pixel.r;
    p[1] = pixel.g;
    p[2] = pixel.b;
    p[3] = pixel.a;
}

void Canvas::fill(int left, int top, int right, int bottom, Pixel pixel)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width);
    bottom = std::min(bottom, height);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            Pixel under = at(x, y);
            set(x, y, {mix(under.r, pixel.r, pixel.a), mix(under.g, pixel.g, pixel.a), mix(under.b, pixel.b, pixel.a),
                       uint8_t(std::max<int>(under.a, pixel.a))});
        }
    }
}

void Canvas::draw(const Canvas& image, int left, int top, int clipRight)
{
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            int targetX = left + x;
            int targetY = top + y;
            if (targetX < 0 || targetY < 0 || targetX >= std::min(width, clipRight) || targetY >= height)
                continue;
            fill(targetX, targetY, targetX + 1, targetY + 1, image.at(x, y));
        }
    }
}

Canvas scaled(const Canvas& source, int width, int height)
{
    Canvas result(width, height);
    double stepX = double(source.width) / width;
    double stepY = double(source.height) / height;
    for (int y = 0; y < height; ++y) {
        double top = y * stepY;
        double bottom = top + stepY;
        for (int x = 0; x < width; ++x) {
            double left = x * stepX;
            double right = left + stepX;
            double sum[4] = {0, 0, 0, 0};
            double area = 0.0;
            for (int sy = int(top); sy < std::min(int(std::ceil(bottom)), source.height); ++sy) {
                double coverY = std::min(bottom, sy + 1.0) - std::max(top, double(sy));
                for (int sx = int(left); sx < std::min(int(std::ceil(right)), source.width); ++sx) {
                    double cover = coverY * (std::min(right, sx + 1.0) - std::max(left, double(sx)));
                    Pixel p = source.at(sx, sy);
                    // Weighted by alpha, so the colour of transparent texels does not bleed in.
                    double weight = cover * p.a / 255.0;
                    sum[0] += p.r * weight;
                    sum[1] += p.g * weight;
                    sum[2] += p.b * weight;
                    sum[3] += weight;
                    area += cover;
                }
            }
            if (sum[3] <= 0.0 || area <= 0.0)
                continue;
            result.set(x, y, {uint8_t(std::lround(sum[0] / sum[3])), uint8_t(std::lround(sum[1] / sum[3])),
                              uint8_t(std::lround(sum[2] / sum[3])), uint8_t(std::lround(255.0 * sum[3] / area))});
        }
    }
    return result;
}
