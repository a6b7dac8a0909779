#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// A bar chart laid out in pixels, so that each toolkit only draws what it
// says: rectangles, lines and texts.

// One item's values, one per label, in the order of the labels.
struct ChartSeries {
    std::string name;  // in the legend, UTF-8
    std::vector<std::int64_t> values;
};

// A chart shows this many series at most, each in its colour.
inline constexpr int kMostSeries = 3;
struct ChartColour {
    unsigned char red, green, blue;
};
inline constexpr ChartColour kSeriesColours[kMostSeries] = {{58, 110, 165}, {214, 118, 34}, {76, 150, 70}};

// The view's font: the width of a text and the height of a line, in pixels.
struct TextMetrics {
    std::function<int(std::string_view)> width;
    int height;
};

struct ChartRect {
    int left, top, right, bottom;  // right and bottom excluded
    int series = 0;                // the colour of a bar or a legend's swatch
};
struct ChartLine {
    int x1, y1, x2, y2;
};
struct ChartText {
    std::string text;
    int left, top;
};

struct ChartPicture {
    std::vector<ChartRect> bars;      // per label, each series' bar in turn; empty for a value of 0
    std::vector<ChartRect> swatches;  // the legend's, one per series when there are several
    std::vector<ChartLine> gridLines; // faint, one per value on the scale
    ChartLine zeroLine{};             // the axis the bars stand on
    std::vector<ChartText> texts;     // the title, the legend, the scale's values, the labels and the bars' values
    ChartRect plot{};                 // where the bars and the grid are
    std::vector<int> slotLefts;       // each label's slot starts here, and the last ends at plot.right
};

// The values on the scale: multiples of a step of 1, 2 or 5 times a power
// of ten, from at or below min(low, 0) to at or above max(high, 0), at most
// `most` of them (at least two).
std::vector<std::int64_t> ChartScale(std::int64_t low, std::int64_t high, int most);

// `series` (at most kMostSeries) over `labels` with `title` above them in a
// `width` by `height` area, side by side in each label's slot, and a legend
// under the title when there are several. Labels stay clear of the scale
// and inside the area, thinned where they would overlap; a bar's value is
// written beside its end when it fits, clear of the title and the labels.
ChartPicture LayOutChart(std::string_view title, const std::vector<std::string>& labels,
                         const std::vector<ChartSeries>& series, int width, int height, const TextMetrics& metrics);

// The label whose slot holds the point (x, y) of the plot, or -1.
int ChartSlotAt(const ChartPicture& picture, int x, int y);

}  // namespace vantor
