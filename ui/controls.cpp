#include "ui/controls.h"

#include "vantor_version.h"

namespace vantor {

using enum ControlKind;

const std::array<ControlEntry, 16> kControls = {{
    {Control::Label1, "Label1", -1, Label, "Log Directory:", 120, 120, 1095, 255, 0},
    {Control::txtLogDir, "txtLogDir", -1, TextBox, "", 1320, 120, 6135, 285, 1},
    {Control::btnBrowse, "btnBrowse", -1, Button, "...", 7440, 120, 255, 285, 2},
    {Control::Command1, "Command1", -1, Button, "Go!", 2640, 480, 975, 285, 3},
    {Control::txtPID, "txtPID", -1, TextBox, "", 1320, 480, 1215, 285, 4},
    {Control::Label2, "Label2", -1, Label, "Player ID:", 120, 480, 1095, 255, 5},
    {Control::List1, "List1", -1, List, "", 2760, 1440, 3015, 2400, 6},
    {Control::Text1, "Text1", -1, TextBox, "", 6000, 1440, 1455, 285, 7},
    {Control::Label3, "Label3", -1, Label, "", 3720, 480, 3615, 255, 8},
    {Control::Label4, "Label4", -1, Label, "Quantity:", 6000, 1200, 1455, 255, 9},
    {Control::Label5, "Label5", -1, Label, "Items:", 2760, 1200, 1455, 255, 10},
    {Control::Label6, "Label6", -1, Label, "Find:", 120, 1200, 1455, 255, 11},
    {Control::Option1_0, "Option1", 0, Option, kActions[0].caption, 240, 1560, 2055, 255, 12},
    {Control::Option1_1, "Option1", 1, Option, kActions[1].caption, 240, 1920, 2055, 255, 13},
    {Control::Option1_2, "Option1", 2, Option, kActions[2].caption, 240, 2280, 2055, 255, 14},
    {Control::Option1_3, "Option1", 3, Option, kActions[3].caption, 240, 2640, 2055, 255, 15},
}};

const std::array<CommandEntry, 6> kCommands = {{
    {Command::Copy, "Copy", 'C', false, false},
    {Command::ByLog, "By Log...", 'B', false, false},
    {Command::SkippedRecords, "Skipped Records...", 0, false, false},
    {Command::ExactNames, "Exact Names (Not the Game's Tally)", 0, true, true},
    {Command::Follow, "Follow the Logs", 'L', true, false},
    {Command::About, "About Vantor Log Analyzer...", 0, false, true},
}};

std::string AboutText() { return std::string(kFormCaption) + "\nVersion " VANTOR_VERSION; }

const ControlEntry& EntryOf(Control control) { return kControls[static_cast<std::size_t>(control)]; }

}  // namespace vantor
