#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vantor {

// A font as the window asks for it: a face and a size in points (empty
// face: the system's own).
struct FontChoice {
    std::string face;
    double points = 0;
    bool operator==(const FontChoice&) const = default;
};

// The controls keep their sizes, which suit a small 8-point font, and every
// caption must show whole whatever fonts the system has. `overflow` says by
// how many pixels the widest caption overflows its control in a font (zero
// or less: all fit; the view measures it). The first candidate in which all
// fit; when none does, the one that overflows least, half a point smaller
// at a time until it fits or reaches `smallest` points.
FontChoice FitFont(const std::vector<FontChoice>& candidates, const std::function<int(const FontChoice&)>& overflow,
                   double smallest = 6);

}  // namespace vantor
