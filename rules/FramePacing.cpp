// The warm-up's choice of textures and the swap interval's order of requests.
#include "rules/FramePacing.h"

#include <algorithm>
#include <cstddef>

namespace {

bool isPowerOfTwo(int size)
{
    return size > 0 && (size & (size - 1)) == 0;
}

int kindOf(const TextureShape& shape)
{
    if (shape.width <= 0 || shape.height <= 0)
        return 0;
    return 1 + (isPowerOfTwo(shape.width) ? 1 : 0) + (isPowerOfTwo(shape.height) ? 2 : 0);
}

}  // namespace

std::vector<int> oneTextureOfEachKind(const std::vector<TextureShape>& shapes)
{
    std::vector<int> chosen;
    std::vector<int> kinds;
    for (size_t index = 0; index < shapes.size(); ++index) {
        int kind = kindOf(shapes[index]);
        if (std::find(kinds.begin(), kinds.end(), kind) != kinds.end())
            continue;
        kinds.push_back(kind);
        chosen.push_back(int(index));
    }
    return chosen;
}

int chooseSwapInterval(const std::function<bool(int)>& setInterval)
{
    for (int interval : {-1, 1}) {
        if (setInterval(interval))
            return interval;
    }
    return 0;
}
