#include "ui/csv_save.h"

#include <filesystem>
#include <fstream>

#include "vantor/text.h"
#include "ui/comm_dlgs.h"
#include "ui/form_view.h"

namespace vantor {

namespace {

// Where the last table was saved, remembered between starts.
constexpr std::string_view kSaveFolderSetting = "csvFolder";

}  // namespace

void SaveCsvTable(FormView& owner, const std::vector<std::string>& nameParts, const std::string& table) {
    // Never the folder the dialog would pick by itself: the program's own
    // when it was started from the Start menu.
    std::string folder;
    std::error_code error;
    if (const auto saved = owner.LoadSetting(kSaveFolderSetting);
        saved && !saved->empty() && std::filesystem::is_directory(Utf8ToPath(*saved), error)) {
        folder = *saved;
    } else {
        folder = owner.DocumentsFolder();
    }
    const std::string path = CommDlgs::ShowFileDialog(owner, 2, "Save as CSV", CommDlgs::FileNameOf(nameParts, ".csv"),
                                                      std::string("CSV Files") + '\0' + "*.csv", folder, "csv");
    if (path.empty()) return;
    std::ofstream out(Utf8ToPath(path), std::ios::binary | std::ios::trunc);
    out << "\xEF\xBB\xBF" << table;
    out.close();
    if (!out) {
        owner.ShowMessage("Save as CSV", "Could not write '" + path + "'.", MessageKind::Error);
        return;
    }
    owner.SaveSetting(kSaveFolderSetting, PathToUtf8(Utf8ToPath(path).parent_path() / ""));
}

}  // namespace vantor
