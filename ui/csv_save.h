#pragma once

#include <string>
#include <vector>

namespace vantor {

class FormView;

// Asks the player where to save `table` (csv text) and writes it there as
// UTF-8 with a byte-order mark, so that spreadsheets read the names right.
// The dialog starts in the folder of the last save while it is there, else
// in Documents, and suggests `nameParts` as the file's name
// (CommDlgs::FileNameOf). A file that cannot be written is a message.
void SaveCsvTable(FormView& owner, const std::vector<std::string>& nameParts, const std::string& table);

}  // namespace vantor
