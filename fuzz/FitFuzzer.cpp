// Any box and source size: the placement stays inside the box and is at least a pixel.
#include "batch/ConversionOptions.h"
#include "engine/FitGeometry.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 12)
        return 0;
    uint16_t w = 0;
    uint16_t h = 0;
    float sw = 0;
    float sh = 0;
    std::memcpy(&w, data, 2);
    std::memcpy(&h, data + 2, 2);
    std::memcpy(&sw, data + 4, 4);
    std::memcpy(&sh, data + 8, 4);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 12), qsizetype(size - 12));
    if (const auto side = quillmorph::boxSideFromText(text); side && (*side < 1 || *side > 32767))
        std::abort();

    const int boxW = w % 32767 + 1;
    const int boxH = h % 32767 + 1;
    // Source sides are whole pixels from 1 to the engine's limit.
    if (!std::isfinite(sw) || !std::isfinite(sh))
        return 0;
    sw = std::floor(std::fabs(std::fmod(sw, 1.0e6f))) + 1;
    sh = std::floor(std::fabs(std::fmod(sh, 1.0e6f))) + 1;
    const quillmorph::FitPlan plan = quillmorph::planFit(boxW, boxH, sw, sh);
    if (plan.width < 1 || plan.height < 1 || plan.left < 0 || plan.top < 0 ||
        plan.left + plan.width > float(boxW) || plan.top + plan.height > float(boxH))
        std::abort();
    if (plan.width != std::floor(plan.width) || plan.left != std::floor(plan.left))
        std::abort();
    return 0;
}
