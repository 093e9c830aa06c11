#include "app/desktop/picture_fit.h"

#include <algorithm>

#include "ui/window.h"

namespace platform {

PictureFit FitPicture(int windowWidth, int windowHeight) {
    PictureFit fit;
    fit.scale = std::max(1, std::min(windowWidth / ui::kScreenWidth, windowHeight / ui::kScreenHeight));
    fit.left = (windowWidth - ui::kScreenWidth * fit.scale) / 2;
    fit.top = (windowHeight - ui::kScreenHeight * fit.scale) / 2;
    return fit;
}

std::optional<PicturePoint> WindowToPicture(const PictureFit& fit, int windowX, int windowY) {
    const int px = windowX - fit.left, py = windowY - fit.top;
    if (px < 0 || py < 0) return std::nullopt;
    const PicturePoint p{px / fit.scale, py / fit.scale};
    if (p.x >= ui::kScreenWidth || p.y >= ui::kScreenHeight) return std::nullopt;
    return p;
}

} // namespace platform
