// Checks of the programs' windows that both end-to-end tests share.
#pragma once
#include <doctest.h>
#include "app_driver.h"

namespace app_checks {
inline bool overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
} // namespace app_checks

// Checks the program's window at a display scale of dpi against its places at 96 DPI (placed_96,
// of the same program): its client area and every control at the 96-DPI numbers scaled by dpi / 96
// (MulDiv), and no two controls of one parent overlapping unless they do at 96 DPI.
inline void app_check_scaled(const App& app, const std::vector<Placed>& placed_96, int width_96,
                             int height_96, unsigned dpi) {
    CAPTURE(dpi);
    RECT client;
    GetClientRect(app.window, &client);
    CHECK(client.right == MulDiv(width_96, (int)dpi, 96));
    CHECK(client.bottom == MulDiv(height_96, (int)dpi, 96));
    std::vector<Placed> placed = app_placed(app);
    REQUIRE(placed.size() == placed_96.size());
    for (size_t i = 0; i < placed.size(); ++i) {
        const Placed &now = placed[i], &then = placed_96[i];
        CAPTURE(then.id);
        CAPTURE(i);
        CHECK(now.cls == then.cls);
        CHECK(now.id == then.id);
        CHECK(now.r.left == MulDiv(then.r.left, (int)dpi, 96));
        CHECK(now.r.top == MulDiv(then.r.top, (int)dpi, 96));
        CHECK(now.r.right - now.r.left == MulDiv(then.r.right - then.r.left, (int)dpi, 96));
        CHECK(now.r.bottom - now.r.top == MulDiv(then.r.bottom - then.r.top, (int)dpi, 96));
        for (size_t j = i + 1; j < placed.size(); ++j) {
            if (placed[j].parent == now.parent)
                CHECK(app_checks::overlap(now.r, placed[j].r) ==
                      app_checks::overlap(then.r, placed_96[j].r));
        }
    }
}
