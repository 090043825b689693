#include "app/MainLayout.h"

#include "state/Numbers.h"

namespace tavrel {

static int Px(double v) { return static_cast<int>(RoundHalfEven(v)); }

MainLayout ComputeMainLayout(int w, int h) {
    MainLayout l;
    const int left = Px(w * 0.1625);
    const int width = Px(w * 0.8125);
    l.picture3 = QRect(left, 0, width, Px(h * 0.11875));
    l.picture1 = QRect(left, Px(h * 0.1333), width, Px(h * 0.317));
    l.picture2 = QRect(left, Px(h * 0.5), width, Px(h * 0.47));
    return l;
}

} // namespace tavrel
