#include "ui/chart.h"

#include <algorithm>
#include <cmath>

namespace vantor {

std::vector<std::int64_t> ChartScale(std::int64_t low, std::int64_t high, int most) {
    low = std::min<std::int64_t>(low, 0);
    high = std::max<std::int64_t>(high, 0);
    if (low == high) high = 1;
    most = std::max(most, 2);
    // The smallest step of 1, 2 or 5 times a power of ten that needs no more
    // than `most` values.
    std::int64_t step = 1;
    for (std::int64_t power = 1;; power *= 10) {
        bool found = false;
        for (const std::int64_t factor : {1, 2, 5}) {
            step = factor * power;
            const std::int64_t first = low / step - (low % step < 0 ? 1 : 0);
            const std::int64_t last = high / step + (high % step > 0 ? 1 : 0);
            if (last - first + 1 <= most) {
                found = true;
                break;
            }
        }
        if (found || power > INT64_MAX / 100) break;
    }
    std::vector<std::int64_t> scale;
    const std::int64_t first = low / step - (low % step < 0 ? 1 : 0);
    const std::int64_t last = high / step + (high % step > 0 ? 1 : 0);
    for (std::int64_t k = first; k <= last; ++k) scale.push_back(k * step);
    return scale;
}

ChartPicture LayOutChart(std::string_view title, const std::vector<ChartBar>& bars, int width, int height,
                         const TextMetrics& metrics) {
    ChartPicture picture;
    const int line = metrics.height;
    const int gap = std::max(2, line / 3);
    picture.texts.push_back({std::string(title), gap, gap / 2});

    std::int64_t low = 0;
    std::int64_t high = 0;
    for (const ChartBar& bar : bars) {
        low = std::min(low, bar.value);
        high = std::max(high, bar.value);
    }
    // The plot: below the title, above a line of labels, right of the scale.
    const int top = line + gap + line / 2;  // room for a value above the highest bar
    const int bottom = height - line - gap;
    const std::vector<std::int64_t> scale = ChartScale(low, high, std::max(2, (bottom - top) / (2 * line) + 1));
    int scaleWidth = 0;
    for (const std::int64_t value : scale) scaleWidth = std::max(scaleWidth, metrics.width(std::to_string(value)));
    const int left = gap + scaleWidth + gap;
    const int right = width - gap;
    if (right - left < 4 || bottom - top < 4) return picture;

    const double span = static_cast<double>(scale.back() - scale.front());
    const auto y = [&](std::int64_t value) {
        return bottom - static_cast<int>(std::lround(static_cast<double>(value - scale.front()) * (bottom - top) / span));
    };
    for (const std::int64_t value : scale) {
        picture.gridLines.push_back({left, y(value), right, y(value)});
        const std::string text = std::to_string(value);
        picture.texts.push_back({text, left - gap - metrics.width(text), y(value) - line / 2});
    }
    picture.zeroLine = {left, y(0), right, y(0)};
    if (bars.empty()) return picture;

    const double slot = static_cast<double>(right - left) / static_cast<double>(bars.size());
    int labelWidth = 0;
    for (const ChartBar& bar : bars) labelWidth = std::max(labelWidth, metrics.width(bar.label));
    // Every n-th label, so that neighbours keep a gap between them.
    const auto every = static_cast<std::size_t>(std::max(1.0, std::ceil((labelWidth + gap) / slot)));
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const int slotLeft = left + static_cast<int>(std::lround(slot * static_cast<double>(i)));
        const int slotRight = left + static_cast<int>(std::lround(slot * static_cast<double>(i + 1)));
        const int margin = (slotRight - slotLeft) / 6;
        const int barLeft = slotLeft + margin;
        const int barRight = std::max(barLeft + 1, slotRight - margin);
        const int zero = y(0);
        const int end = y(bars[i].value);
        picture.bars.push_back(bars[i].value == 0 ? ChartRect{barLeft, zero, barLeft, zero}
                                                  : ChartRect{barLeft, std::min(zero, end), barRight, std::max(zero, end)});
        const int middle = (slotLeft + slotRight) / 2;
        if (i % every == 0) {
            picture.texts.push_back({bars[i].label, middle - metrics.width(bars[i].label) / 2, bottom + gap / 2});
        }
        const std::string value = std::to_string(bars[i].value);
        const int valueWidth = metrics.width(value);
        if (bars[i].value != 0 && valueWidth + 2 <= slotRight - slotLeft) {
            const int valueTop = bars[i].value > 0 ? end - line : end;
            picture.texts.push_back({value, middle - valueWidth / 2, valueTop});
        }
    }
    return picture;
}

}  // namespace vantor
