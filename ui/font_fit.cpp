#include "ui/font_fit.h"

#include <climits>

namespace vantor {

FontChoice FitFont(const std::vector<FontChoice>& candidates, const std::function<int(const FontChoice&)>& overflow,
                   double smallest) {
    FontChoice best;
    int bestOverflow = INT_MAX;
    for (const FontChoice& candidate : candidates) {
        const int over = overflow(candidate);
        if (over <= 0) return candidate;
        if (over < bestOverflow) {
            best = candidate;
            bestOverflow = over;
        }
    }
    while (bestOverflow > 0 && best.points - 0.5 >= smallest) {
        best.points -= 0.5;
        bestOverflow = overflow(best);
    }
    return best;
}

}  // namespace vantor
