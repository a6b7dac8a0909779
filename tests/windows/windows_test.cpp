// The analysis on the Windows file system (run under Wine by scripts/test-windows.sh).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/log_file.h"
#include "analysis/log_folder.h"
#include "analysis/parallel_scan.h"
#include "analysis/path_text.h"
#include "store/cls_hash.h"
#include "store/run_error.h"
#include "tests/support/fake_window.h"
#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"

namespace vantor {
namespace {

using testing::FakeWindow;
using testing::LogBuilder;
using testing::TempDir;
using Names = std::vector<std::string>;
using Totals = std::vector<std::pair<std::string, std::int32_t>>;

struct Scan {
    Names statuses;
    Totals totals;
    bool operator==(const Scan&) const = default;
};

// One analysis of `folder` (UTF-8, as the window passes it) for Alia's
// pickups, on `jobs` threads as vantor-tally does (1: ProcessLogFolder).
Scan ScanOn(const std::string& folder, unsigned jobs) {
    FakeWindow window;
    window.playerId = "Alia";
    clsHash items;
    if (jobs > 1) {
        ProcessLogFolderParallel(folder, window, items, jobs);
    } else {
        ProcessLogFolder(folder, window, items);
    }
    Scan scan{window.statuses, {}};
    for (const auto& item : window.items) scan.totals.emplace_back(item, items.GetValue(item));
    return scan;
}

Scan Analyse(const std::string& folder) {
    Scan scan = ScanOn(folder, 1);
    EXPECT_EQ(ScanOn(folder, 3), scan) << "on 3 threads";
    return scan;
}

std::string Pickup(std::string_view item) { return LogBuilder().Record("Alia", "[Pickup]", item).str(); }

// A handle of another program (the game, an editor), closed when it goes.
struct Handle {
    explicit Handle(HANDLE h) : handle(h) {}
    Handle(const Handle&) = delete;
    ~Handle() { if (ok()) CloseHandle(handle); }
    bool ok() const { return handle != INVALID_HANDLE_VALUE; }
    bool Append(std::string_view bytes) const {
        DWORD written = 0;
        return SetFilePointer(handle, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
               WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
    HANDLE handle;
};

Handle Open(const std::filesystem::path& file, DWORD access, DWORD share) {
    return Handle(CreateFileW(file.c_str(), access, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST(WindowsPaths, DriveLetterAndEitherSeparator) {
    TempDir dir;
    const auto log = dir.Write("ActionLog1.txt", Pickup("Widget(3)"));
    const std::string folder = PathToUtf8(dir.path());
    ASSERT_EQ(folder.substr(1, 2), ":\\");
    std::string slashed = folder;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    for (const std::string& text : {folder, folder + "\\", folder + "/", slashed, slashed + "/"}) {
        EXPECT_EQ(Analyse(text).totals, (Totals{{"Widget", 3}})) << text;
        // A log held without sharing cannot be read; the error shows the path
        // as opened: a separator added only when missing.
        const Handle exclusive = Open(log, GENERIC_WRITE, 0);
        const std::string opened = text + (text.back() == '\\' || text.back() == '/' ? "" : "\\") + "ActionLog1.txt";
        for (const unsigned jobs : {1u, 3u}) {
            try {
                ScanOn(text, jobs);
                ADD_FAILURE() << "an exclusively held log was read";
            } catch (const RunError& error) {
                EXPECT_EQ(error.kind(), ErrorKind::FileError);
                EXPECT_NE(std::string(error.what()).find("'" + opened + "'"), std::string::npos) << error.what();
            }
        }
    }
}

TEST(WindowsPaths, Utf8TextAndWideNamesConvertBothWays) {
    const std::string text = "C:\\Logs \xC3\xA9t\xC3\xA9\\\xE6\x97\xA5\xE6\x9C\xAC\\ActionLog\xF0\x9F\x98\x80.txt";
    const std::wstring wide = L"C:\\Logs \u00E9t\u00E9\\\u65E5\u672C\\ActionLog\U0001F600.txt";
    EXPECT_EQ(Utf8ToPath(text).native(), wide);
    EXPECT_EQ(PathToUtf8(std::filesystem::path(wide)), text);
    // What does not convert becomes U+FFFD rather than an exception.
    EXPECT_EQ(Utf8ToPath("a\xFF" "b").native(), L"a\uFFFDb");
    EXPECT_EQ(PathToUtf8(std::filesystem::path(std::wstring{L'a', wchar_t{0xD800}})), "a\xEF\xBF\xBD");
}

TEST(WindowsListing, AnyCaseListedHiddenAndSystemFilesSkipped) {
    TempDir dir;
    const std::vector<std::pair<const char*, DWORD>> files = {
        {"ActionLog1.txt", FILE_ATTRIBUTE_NORMAL},   {"ACTIONLOG2.TXT", FILE_ATTRIBUTE_ARCHIVE},
        {"actionlog3.Txt", FILE_ATTRIBUTE_READONLY}, {"ActionLog4.txt", FILE_ATTRIBUTE_HIDDEN},
        {"ActionLog5.txt", FILE_ATTRIBUTE_SYSTEM},   {"ActionLog6.txtx", FILE_ATTRIBUTE_NORMAL},
        {"ActionLog7.txt.bak", FILE_ATTRIBUTE_NORMAL}};
    for (const auto& [name, attributes] : files) {
        ASSERT_TRUE(SetFileAttributesW(dir.Write(name, Pickup("Widget(1)")).c_str(), attributes)) << name;
    }
    const Scan scan = Analyse(dir.text());
    EXPECT_EQ(scan.statuses, (Names{"Processing ActionLog1.txt", "Processing ACTIONLOG2.TXT", "Processing actionlog3.Txt"}));
    EXPECT_EQ(scan.totals, (Totals{{"Widget", 3}}));
    SetFileAttributesW((dir.path() / "actionlog3.Txt").c_str(), FILE_ATTRIBUTE_NORMAL);  // so it can be removed
}

// The game keeps today's log open for writing; the sharing it grants depends
// on how it opens it (CreateFile, or fopen/ofstream, which share both ways).
// While a handle may write it, a last line without a line end may be half
// written and is left out; a log only read by others is finished.
TEST(WindowsSharing, LogHeldOpenByAnotherHandleIsRead) {
    const std::vector<std::pair<DWORD, DWORD>> holders = {  // access, share
        {GENERIC_WRITE, FILE_SHARE_READ}, {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE},
        {FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}, {GENERIC_READ, FILE_SHARE_READ},
        {GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE}};
    const std::string unended = Pickup("Widget(12)").substr(0, Pickup("Widget(12)").size() - 2);
    for (const auto& [access, share] : holders) {
        TempDir dir;
        const Handle game = Open(dir.Write("ActionLog1.txt", Pickup("Widget(3)") + unended), access, share);
        const bool writes = (access & (GENERIC_WRITE | FILE_APPEND_DATA)) != 0;
        ASSERT_TRUE(game.ok() && (!writes || game.Append("\r\n" + Pickup("Widget(4)") + unended.substr(0, unended.size() - 2))));
        EXPECT_EQ(Analyse(dir.text()).totals, (Totals{{"Widget", writes ? 19 : 15}})) << std::hex << access << ' ' << share;
    }
}

TEST(WindowsSharing, GameCanWriteRenameAndDeleteWhileLogIsRead) {
    for (const DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        TempDir dir;
        const auto log = dir.Write("ActionLog1.txt", "old");
        LogFile reading(log);
        ASSERT_TRUE(Open(log, GENERIC_WRITE, share).Append("+new")) << "share " << share << ": " << GetLastError();
        char buffer[16] = {};
        EXPECT_EQ(std::string(buffer, reading.Read(buffer, sizeof buffer)), "old+new");
        EXPECT_TRUE(MoveFileW(log.c_str(), (dir.path() / "ActionLog0.txt").c_str())) << GetLastError();
        EXPECT_TRUE(DeleteFileW((dir.path() / "ActionLog0.txt").c_str())) << GetLastError();
    }
}

TEST(WindowsBytes, NoLineEndTranslationNoStopAtCtrlZ) {
    TempDir dir;
    dir.Write("ActionLog1.txt", Pickup("Widget(3)") + "\x1A\r\n" + Pickup("Ctrl\x1AZ(2)") + Pickup("Caf\xE9(1)") +
                                    Pickup("Widget(4)"));
    EXPECT_EQ(Analyse(dir.text()).totals, (Totals{{"Widget", 7}, {"Ctrl\x1AZ", 2}, {"Caf\xE9", 1}}));
}

TEST(WindowsNames, NonAsciiFolderAndLogNames) {
    TempDir dir;
    const std::string folder = dir.text() + "Journal \xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC";  // été 日本
    const std::string name = "ActionLog\xCE\xA9\xE2\x82\xAC.txt";                                  // Ω€
    ASSERT_TRUE(std::filesystem::create_directory(Utf8ToPath(folder)));
    {
        const Handle log = Open(Utf8ToPath(folder + "\\" + name), GENERIC_WRITE, 0);
        ASSERT_TRUE(log.ok() && log.Append(Pickup("Widget(5)")));
    }
    const Scan scan = Analyse(folder);
    EXPECT_EQ(scan.statuses, Names{"Processing " + name});
    EXPECT_EQ(scan.totals, (Totals{{"Widget", 5}}));
}

}  // namespace
}  // namespace vantor
