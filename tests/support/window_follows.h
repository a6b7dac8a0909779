#pragma once

#include "ui/controls.h"

namespace vantor::testing {

// What a player expects of each control as the window is made larger:
// which of its edges go right (x) or down (y) with the window's. Both views'
// tests hold their window to it.
struct Follows {
    Control control;
    bool leftX, rightX, topY, bottomY;
};
inline constexpr Follows kFollows[] = {
    {Control::List1, false, true, false, true},     {Control::Label3, false, true, false, false},
    {Control::txtLogDir, false, true, false, false}, {Control::btnBrowse, true, true, false, false},
    {Control::Text1, true, true, false, false},     {Control::Label4, true, true, false, false},
    {Control::Label6, false, false, false, false},  {Control::Option1_3, false, false, false, false},
    {Control::Command1, false, false, false, false},
};

}  // namespace vantor::testing
