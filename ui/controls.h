#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "vantor/tally.h"

namespace vantor {

// The window's controls, in tab order. Option1_0 to Option1_3 are the one
// option group Option1, indexes 0 to 3.
enum class Control {
    Label1,
    txtLogDir,
    btnBrowse,
    Command1,
    txtPID,
    Label2,
    List1,
    Text1,
    Label3,
    Label4,
    Label5,
    Label6,
    Option1_0,
    Option1_1,
    Option1_2,
    Option1_3,
};

enum class ControlKind { Label, TextBox, Button, List, Option };

// The edges of the window's client area a control keeps its distance to
// when the window is made larger than kFormWidth by kFormHeight. Held to
// the left and the right, a control grows in width; to the right alone, it
// moves with the right edge; likewise top and bottom.
enum Anchor : unsigned { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };

// One control as the views create it: name, kind, caption or initial text
// (UTF-8), place and size in twips (1/1440 inch), and tab index.
struct ControlEntry {
    Control id;
    std::string_view name;  // "Option1" for each option; `index` tells them apart
    int index;              // the option's index, -1 for the other controls
    ControlKind kind;
    std::string_view caption;
    int left;
    int top;
    int width;
    int height;
    int tabIndex;
    unsigned anchors;  // Anchor bits
};

// Every control, by tab index; kControls[i].id == Control(i).
extern const std::array<ControlEntry, 16> kControls;

const ControlEntry& EntryOf(Control control);

// The window's caption and client area, in twips.
inline constexpr std::string_view kFormCaption = "Vantor Log Analyzer";
inline constexpr int kFormWidth = 7845;
inline constexpr int kFormHeight = 4320;

// The About box of either view: its title, and the name and version.
inline constexpr std::string_view kAboutTitle = "About Vantor Log Analyzer";
std::string AboutText();

// Where a control stands in a client area of `clientWidth` by
// `clientHeight` pixels at `dpi`: its place in the table, moved or grown by
// what the area has beyond the table's size as its anchors say. An area
// smaller than the table's size places the controls as the table does.
struct PixelRect {
    int left, top, width, height;
    bool operator==(const PixelRect&) const = default;
};
PixelRect PlaceControl(const ControlEntry& entry, int clientWidth, int clientHeight, int dpi);

// Twips to pixels at `dpi` dots per inch, rounded down (15 twips make a
// pixel at 96 dpi).
constexpr int TwipsToPixels(int twips, int dpi) { return twips * dpi / 1440; }

// The commands of the window's menu (the item list's context menu), in
// menu order: the caption, the letter that Ctrl selects it with (0: none),
// whether it shows a check mark, whether a separator comes before it, and
// the submenu it is in (empty: none; a submenu's entries follow one another
// and are a choice of one).
enum class Command {
    Copy,
    ByLog,
    AllActions,
    SkippedRecords,
    ExactNames,
    Follow,
    NewSession,
    CodePageAutomatic,  // then one per entry of kCodePages, in its order
    CodePageFirst,
    CodePageLast = CodePageFirst + 9,
    About,
};
struct CommandEntry {
    Command id;
    std::string_view caption;
    char ctrlKey;
    bool checkable;
    bool separatorBefore;
    std::string_view submenu = {};
};
extern const std::array<CommandEntry, 19> kCommands;
inline constexpr std::string_view kCodePageMenu = "Code Page of the Logs";

// The code page a command of kCodePageMenu chooses: 0 for automatic, and
// nothing for a command of another kind.
std::optional<unsigned> CodePageOfCommand(Command command);

// The option control of index `index` (0 to 3).
constexpr Control OptionControl(int index) {
    return static_cast<Control>(static_cast<int>(Control::Option1_0) + index);
}

}  // namespace vantor
