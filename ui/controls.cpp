#include "ui/controls.h"

#include "vantor/code_page.h"
#include "vantor_version.h"

namespace vantor {

using enum ControlKind;

const std::array<ControlEntry, 16> kControls = {{
    {Control::Label1, "Label1", -1, Label, "Log Directory:", 120, 120, 1095, 255, 0, kLeft | kTop},
    {Control::txtLogDir, "txtLogDir", -1, TextBox, "", 1320, 120, 6135, 285, 1, kLeft | kTop | kRight},
    {Control::btnBrowse, "btnBrowse", -1, Button, "...", 7440, 120, 255, 285, 2, kTop | kRight},
    {Control::Command1, "Command1", -1, Button, "Go!", 2640, 480, 975, 285, 3, kLeft | kTop},
    {Control::txtPID, "txtPID", -1, TextBox, "", 1320, 480, 1215, 285, 4, kLeft | kTop},
    {Control::Label2, "Label2", -1, Label, "Player ID:", 120, 480, 1095, 255, 5, kLeft | kTop},
    {Control::List1, "List1", -1, List, "", 2760, 1440, 3015, 2400, 6, kLeft | kTop | kRight | kBottom},
    {Control::Text1, "Text1", -1, TextBox, "", 6000, 1440, 1455, 285, 7, kTop | kRight},
    {Control::Label3, "Label3", -1, Label, "", 3720, 480, 3615, 255, 8, kLeft | kTop | kRight},
    {Control::Label4, "Label4", -1, Label, "Quantity:", 6000, 1200, 1455, 255, 9, kTop | kRight},
    {Control::Label5, "Label5", -1, Label, "Items:", 2760, 1200, 1455, 255, 10, kLeft | kTop},
    {Control::Label6, "Label6", -1, Label, "Find:", 120, 1200, 1455, 255, 11, kLeft | kTop},
    {Control::Option1_0, "Option1", 0, Option, kActions[0].caption, 240, 1560, 2055, 255, 12, kLeft | kTop},
    {Control::Option1_1, "Option1", 1, Option, kActions[1].caption, 240, 1920, 2055, 255, 13, kLeft | kTop},
    {Control::Option1_2, "Option1", 2, Option, kActions[2].caption, 240, 2280, 2055, 255, 14, kLeft | kTop},
    {Control::Option1_3, "Option1", 3, Option, kActions[3].caption, 240, 2640, 2055, 255, 15, kLeft | kTop},
}};

const std::array<CommandEntry, 19> kCommands = {{
    {Command::Copy, "Copy", 'C', false, false},
    {Command::ByLog, "By Log...", 'B', false, false},
    {Command::AllActions, "All Actions...", 'E', false, false},
    {Command::SkippedRecords, "Skipped Records...", 0, false, false},
    {Command::ExactNames, "Exact Names (Not the Game's Tally)", 0, true, true},
    {Command::Follow, "Follow the Logs", 'L', true, false},
    {Command::NewSession, "New Session", 0, false, false},
    {Command::CodePageAutomatic, "Automatic", 0, true, true, kCodePageMenu},
    {Command::CodePageFirst, "Thai (874)", 0, true, true, kCodePageMenu},
    {static_cast<Command>(static_cast<int>(Command::CodePageFirst) + 1), "Central European (1250)", 0, true, false, kCodePageMenu},
    {static_cast<Command>(static_cast<int>(Command::CodePageFirst) + 2), "Cyrillic (1251)", 0, true, false, kCodePageMenu},
    {static_cast<Command>(static_cast<int>(Command::CodePageFirst) + 3), "Western (1252)", 0, true, false, kCodePageMenu},
    {static_cast<Command>(static_cast<int>(Command::CodePageFirst) + 4), "Greek (1253)", 0, true, false, kCodePageMenu},
    {static_cast<Command>(static_cast<int>(Command::CodePageFirst) + 5), "Turkish (1254)", 0, true, false, kCodePageMenu},
    {static_cast<Command>(static_cast<int>(Command::CodePageFirst) + 6), "Hebrew (1255)", 0, true, false, kCodePageMenu},
    {static_cast<Command>(static_cast<int>(Command::CodePageFirst) + 7), "Arabic (1256)", 0, true, false, kCodePageMenu},
    {static_cast<Command>(static_cast<int>(Command::CodePageFirst) + 8), "Baltic (1257)", 0, true, false, kCodePageMenu},
    {Command::CodePageLast, "Vietnamese (1258)", 0, true, false, kCodePageMenu},
    {Command::About, "About Vantor Log Analyzer...", 0, false, true},
}};

std::optional<unsigned> CodePageOfCommand(Command command) {
    if (command == Command::CodePageAutomatic) return 0u;
    const int index = static_cast<int>(command) - static_cast<int>(Command::CodePageFirst);
    if (index < 0 || index >= static_cast<int>(kCodePages.size())) return std::nullopt;
    return kCodePages[static_cast<std::size_t>(index)].number;
}

std::string AboutText() { return std::string(kFormCaption) + "\nVersion " VANTOR_VERSION; }

PixelRect PlaceControl(const ControlEntry& entry, int clientWidth, int clientHeight, int dpi) {
    PixelRect place{TwipsToPixels(entry.left, dpi), TwipsToPixels(entry.top, dpi), TwipsToPixels(entry.width, dpi),
                    TwipsToPixels(entry.height, dpi)};
    // One axis: the room beyond the table's size goes to the far edge's
    // distance (moves) or to the size (grows).
    const auto follow = [&entry](int& start, int& size, int room, unsigned nearEdge, unsigned farEdge) {
        if ((entry.anchors & farEdge) == 0 || room <= 0) return;
        ((entry.anchors & nearEdge) != 0 ? size : start) += room;
    };
    follow(place.left, place.width, clientWidth - TwipsToPixels(kFormWidth, dpi), kLeft, kRight);
    follow(place.top, place.height, clientHeight - TwipsToPixels(kFormHeight, dpi), kTop, kBottom);
    return place;
}

const ControlEntry& EntryOf(Control control) { return kControls[static_cast<std::size_t>(control)]; }

}  // namespace vantor
