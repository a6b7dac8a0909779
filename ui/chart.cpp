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

ChartPicture LayOutChart(std::string_view title, const std::vector<std::string>& labels,
                         const std::vector<ChartSeries>& series, int width, int height, const TextMetrics& metrics) {
    ChartPicture picture;
    const int line = metrics.height;
    const int gap = std::max(2, line / 3);
    picture.texts.push_back({std::string(title), gap, gap / 2});
    int below = gap / 2 + line;  // the title's bottom

    std::int64_t low = 0;
    std::int64_t high = 0;
    const std::size_t count = std::min<std::size_t>(series.size(), kMostSeries);
    for (std::size_t s = 0; s < count; ++s) {
        for (const std::int64_t value : series[s].values) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    // The legend: a line under the title, a swatch and a name for each.
    if (count > 1) {
        const int top = below + gap / 2;
        const int side = std::max(4, line * 2 / 3);
        int x = gap;
        for (std::size_t s = 0; s < count; ++s) {
            const int swatchTop = top + (line - side) / 2;
            picture.swatches.push_back({x, swatchTop, x + side, swatchTop + side, static_cast<int>(s)});
            picture.texts.push_back({series[s].name, x + side + gap / 2, top});
            x += side + gap / 2 + metrics.width(series[s].name) + 2 * gap;
        }
        below = top + line;
    }
    // The plot: below the title (and the legend) with a line's room for the
    // highest bar's value, above a line of labels (and room for the lowest
    // bar's value under it), right of the scale.
    const int top = below + gap / 2 + line;
    const int bottom = height - line - gap - (low < 0 ? line : 0);
    const std::vector<std::int64_t> scale = ChartScale(low, high, std::max(2, (bottom - top) / (2 * line) + 1));
    int scaleWidth = 0;
    for (const std::int64_t value : scale) scaleWidth = std::max(scaleWidth, metrics.width(std::to_string(value)));
    const int left = gap + scaleWidth + gap;
    const int right = width - gap;
    if (right - left < 4 || bottom - top < 4) return picture;
    picture.plot = {left, top, right, bottom};

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
    if (labels.empty()) return picture;

    const double slot = static_cast<double>(right - left) / static_cast<double>(labels.size());
    int labelWidth = 0;
    for (const std::string& label : labels) labelWidth = std::max(labelWidth, metrics.width(label));
    // Every n-th label, so that neighbours keep a gap between them; one moved
    // inside the area that would then come too near the one before is left out.
    const auto every = static_cast<std::size_t>(std::max(1.0, std::ceil((labelWidth + gap) / slot)));
    int labelsRight = left - gap;
    const int zero = y(0);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const int slotLeft = left + static_cast<int>(std::lround(slot * static_cast<double>(i)));
        const int slotRight = left + static_cast<int>(std::lround(slot * static_cast<double>(i + 1)));
        picture.slotLefts.push_back(slotLeft);
        const int margin = (slotRight - slotLeft) / 6;
        // Each series' share of the slot, side by side.
        const double share =
            static_cast<double>(slotRight - slotLeft - 2 * margin) / static_cast<double>(std::max<std::size_t>(count, 1));
        const auto edge = [&](std::size_t s) {
            return slotLeft + margin + static_cast<int>(std::lround(share * static_cast<double>(s)));
        };
        for (std::size_t s = 0; s < count; ++s) {
            const std::int64_t value = i < series[s].values.size() ? series[s].values[i] : 0;
            const int barLeft = edge(s);
            const int barRight = std::max(barLeft + 1, edge(s + 1));
            const int end = y(value);
            const auto index = static_cast<int>(s);
            picture.bars.push_back(value == 0
                                       ? ChartRect{barLeft, zero, barLeft, zero, index}
                                       : ChartRect{barLeft, std::min(zero, end), barRight, std::max(zero, end), index});
            const std::string text = std::to_string(value);
            const int textWidth = metrics.width(text);
            if (value != 0 && textWidth + 2 <= (count > 1 ? barRight - barLeft : slotRight - slotLeft)) {
                picture.texts.push_back({text, (barLeft + barRight) / 2 - textWidth / 2, value > 0 ? end - line : end});
            }
        }
        if (i % every != 0) continue;
        const int textWidth = metrics.width(labels[i]);
        const int textLeft =
            std::clamp((slotLeft + slotRight) / 2 - textWidth / 2, left, std::max(left, width - textWidth));
        if (textLeft < labelsRight + gap) continue;
        picture.texts.push_back({labels[i], textLeft, height - line - gap / 2});
        labelsRight = textLeft + textWidth;
    }
    return picture;
}

int ChartSlotAt(const ChartPicture& picture, int x, int y) {
    if (picture.slotLefts.empty() || x < picture.plot.left || x >= picture.plot.right || y < picture.plot.top ||
        y >= picture.plot.bottom) {
        return -1;
    }
    const auto after = std::upper_bound(picture.slotLefts.begin(), picture.slotLefts.end(), x);
    return static_cast<int>(after - picture.slotLefts.begin()) - 1;
}

}  // namespace vantor
