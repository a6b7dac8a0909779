#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {
class FormView;
}

// General dialog routines: the platform's open and save dialogs, and finding
// the last occurrence of one text in another. Texts are UTF-8.
namespace CommDlgs {

// The dialog's flags: open asks for an existing path and file
// (OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST), save for an
// existing path and confirms an overwrite (OFN_OVERWRITEPROMPT |
// OFN_HIDEREADONLY | OFN_PATHMUSTEXIST).
inline constexpr unsigned kOpenFlags = 0x1804;
inline constexpr unsigned kSaveFlags = 0x806;

// Shows the open dialog (DialogMode 1) or the save dialog (any other mode)
// of the window `OwnerWindow`. FilterSpec is "description\0pattern" pairs.
// Returns the chosen full path, or empty text when cancelled. An
// InitialFileName longer than 255 characters is an InvalidArgument RunError,
// raised before any dialog opens.
std::string ShowFileDialog(vantor::FormView& OwnerWindow, int DialogMode, std::string_view DialogTitle,
                           std::string_view InitialFileName, std::string_view FilterSpec,
                           std::string_view InitialDir, std::string_view DefaultExt);

// A file name made of `parts` (UTF-8), e.g. {"Alia", "Picked Up",
// "ActionLog0101"} and ".csv" to "Alia-Picked-Up-ActionLog0101.csv": the
// parts trimmed and joined by '-', spaces in them made '-', characters that
// a file name cannot hold on Windows or Linux made '_', empty parts left
// out, and the parts cut to keep the name within the dialog's 255
// characters. No part at all gives "tally" and the extension.
std::string FileNameOf(const std::vector<std::string>& parts, std::string_view extension);

// 1-based start (in bytes) of the last occurrence of SearchFor in SearchIn,
// 0 if none; overlapping occurrences count. With CountFromEnd and a match,
// the position counted from the end (length - position + 1). Without
// CaseSensitive both arguments are first replaced by UpperCase of them, in
// the caller's variables too.
int FindLast(std::string& SearchIn, std::string& SearchFor, bool CaseSensitive, bool CountFromEnd,
             const std::function<std::string(std::string_view)>& UpperCase);

}  // namespace CommDlgs
