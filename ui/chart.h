#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// A bar chart laid out in pixels, so that each toolkit only draws what it
// says: rectangles, lines and texts.

struct ChartBar {
    std::string label;  // under the bar, UTF-8
    std::int64_t value;
};

// The view's font: the width of a text and the height of a line, in pixels.
struct TextMetrics {
    std::function<int(std::string_view)> width;
    int height;
};

struct ChartRect {
    int left, top, right, bottom;  // right and bottom excluded
};
struct ChartLine {
    int x1, y1, x2, y2;
};
struct ChartText {
    std::string text;
    int left, top;
};

struct ChartPicture {
    std::vector<ChartRect> bars;      // one per bar, in order; empty for a value of 0
    std::vector<ChartLine> gridLines; // faint, one per value on the scale
    ChartLine zeroLine{};             // the axis the bars stand on
    std::vector<ChartText> texts;     // the title, the scale's values, the bars' labels and values
};

// The values on the scale: multiples of a step of 1, 2 or 5 times a power
// of ten, from at or below min(low, 0) to at or above max(high, 0), at most
// `most` of them (at least two).
std::vector<std::int64_t> ChartScale(std::int64_t low, std::int64_t high, int most);

// `bars` with `title` above them in a `width` by `height` area. Labels that
// would overlap are thinned to every n-th; a bar's value is written above it
// when it fits.
ChartPicture LayOutChart(std::string_view title, const std::vector<ChartBar>& bars, int width, int height,
                         const TextMetrics& metrics);

}  // namespace vantor
