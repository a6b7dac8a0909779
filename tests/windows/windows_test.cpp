// The analysis on the Windows file system (run under Wine by scripts/test-windows.sh).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "vantor/text.h"
#include "tests/support/scan_outcome.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"

namespace vantor {
namespace {

using testing::FolderOutcome;
using testing::Pickup;
using testing::TempDir;

// A handle of another program (the game, an editor), closed when it goes.
struct Handle {
    Handle(const std::filesystem::path& file, DWORD access, DWORD share)
        : handle(CreateFileW(file.c_str(), access, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    Handle(const Handle&) = delete;
    ~Handle() { if (ok()) CloseHandle(handle); }
    bool ok() const { return handle != INVALID_HANDLE_VALUE; }
    bool Append(std::string_view bytes) const {
        DWORD written = 0;
        return SetFilePointer(handle, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
               WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    }
    HANDLE handle;
};

// A folder given with '\', '/' or no separator at its end; a log held
// without sharing is an error that names the path as opened.
TEST(WindowsPaths, DriveLetterAndEitherSeparator) {
    TempDir dir;
    const auto log = dir.Write("ActionLog1.txt", Pickup("Widget(3)"));
    const std::string folder = PathToUtf8(dir.path());
    ASSERT_EQ(folder.substr(1, 2), ":\\");
    std::string slashed = folder;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    for (const std::string& text : {folder, folder + "\\", folder + "/", slashed, slashed + "/"}) {
        EXPECT_EQ(FolderOutcome(text), "Processing ActionLog1.txt; Widget=3; listed Widget=3") << text;
        const Handle exclusive(log, GENERIC_WRITE, 0);
        const std::string opened = text + (text.back() == '\\' || text.back() == '/' ? "" : "\\") + "ActionLog1.txt";
        const std::string error = FolderOutcome(text);
        EXPECT_TRUE(error.starts_with("Processing ActionLog1.txt; ActionLog1.txt: file error: cannot open '" + opened + "': "))
            << error;
    }
    // UTF-8 text to wide names.
    EXPECT_EQ(Utf8ToPath("C:\\\xC3\xA9t\xC3\xA9\\\xE6\x97\xA5\\ActionLog\xF0\x9F\x98\x80.txt").native(),
              L"C:\\\u00E9t\u00E9\\\u65E5\\ActionLog\U0001F600.txt");
}

// Any letter case; hidden and system files left out, read-only ones read;
// bytes as they are (no CR LF translation, no stop at Ctrl-Z); names
// outside ASCII.
TEST(WindowsListing, LogsInAnyCaseAndAnyBytesHiddenAndSystemFilesLeftOut) {
    TempDir dir;
    const std::string folder = dir.text() + "Journal \xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC";  // été 日本
    ASSERT_TRUE(std::filesystem::create_directory(Utf8ToPath(folder)));
    const std::pair<std::string, DWORD> files[] = {
        {"ActionLog1.txt", FILE_ATTRIBUTE_NORMAL},   {"ACTIONLOG2.TXT", FILE_ATTRIBUTE_ARCHIVE},
        {"actionlog3.Txt", FILE_ATTRIBUTE_READONLY}, {"ActionLog4.txt", FILE_ATTRIBUTE_HIDDEN},
        {"ActionLog5.txt", FILE_ATTRIBUTE_SYSTEM},   {"ActionLog6.txtx", FILE_ATTRIBUTE_NORMAL},
        {"ActionLog\xCE\xA9\xE2\x82\xAC.txt", FILE_ATTRIBUTE_NORMAL}};  // Ω€
    for (const auto& [name, attributes] : files) {
        const auto path = Utf8ToPath(folder + "\\" + name);
        testing::WriteFile(path, Pickup("Widget(1)") + "\x1A\r\n" + Pickup("Ctrl\x1AZ(2)") + Pickup("Caf\xE9(1)"));
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes)) << name;
    }
    EXPECT_EQ(FolderOutcome(folder), "Processing ActionLog1.txt; Processing ACTIONLOG2.TXT; Processing actionlog3.Txt; "
                                     "Processing ActionLog\xCE\xA9\xE2\x82\xAC.txt; Widget=4;Ctrl\x1AZ=8;Caf\xE9=4; listed Widget=4 "
                                     "listed Ctrl\x1AZ=8 listed Caf\xE9=4");
    SetFileAttributesW(Utf8ToPath(folder + "\\actionlog3.Txt").c_str(), FILE_ATTRIBUTE_NORMAL);  // so it can be removed
}

// The game keeps today's log open for writing; the sharing it grants depends
// on how it opens it (CreateFile, or fopen/ofstream, which share both ways).
// The reader's open shares reading, writing and deleting, so the game (which
// opens before or after it) may go on writing, renaming or deleting. While a
// handle may write the log, a last line without a line end may be half
// written and is left out; a log only read by others is finished.
TEST(WindowsSharing, LogHeldOpenByAnotherHandleIsRead) {
    const std::pair<DWORD, DWORD> holders[] = {  // access, share
        {GENERIC_WRITE, FILE_SHARE_READ}, {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE},
        {FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}, {GENERIC_READ, FILE_SHARE_READ},
        {GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE}};
    const std::string unended = Pickup("Widget(12)").substr(0, Pickup("Widget(12)").size() - 2);
    for (const auto& [access, share] : holders) {
        TempDir dir;
        const Handle game(dir.Write("ActionLog1.txt", Pickup("Widget(3)") + unended), access, share);
        const bool writes = (access & (GENERIC_WRITE | FILE_APPEND_DATA)) != 0;
        ASSERT_TRUE(game.ok() && (!writes || game.Append("\r\n" + Pickup("Widget(4)") + unended.substr(0, unended.size() - 2))));
        const std::string total = writes ? "19" : "15";
        EXPECT_EQ(FolderOutcome(dir.text()), "Processing ActionLog1.txt; Widget=" + total + "; listed Widget=" + total)
            << std::hex << access << ' ' << share;
    }
}

}  // namespace
}  // namespace vantor
