#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/log_folder.h"
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

std::string Log(const std::string& player, const std::string& item) {
    return LogBuilder().Record(player, "[Pickup]", item).str();
}

TEST(LogFolder, ListsLogsCaseInsensitivelyInOneOrder) {
    TempDir dir;
    for (const char* name : {"ActionLog10.txt", "actionlog.txt", "ActionLog1.txt", "ACTIONLOG2.TXT",
                             "ActionLog.log", "ActionLog3.txt.bak", "MyActionLog4.txt", "ActionLog_.txt"}) {
        dir.Write(name, "");
    }
    std::filesystem::create_directory(dir.path() / "ActionLogFolder.txt");

    // Upper-cased, '.' (0x2E) sorts before digits and '_' (0x5F) after letters.
    EXPECT_EQ(ListLogFiles(dir.path()),
              (Names{"actionlog.txt", "ActionLog1.txt", "ActionLog10.txt", "ACTIONLOG2.TXT",
                     "ActionLog_.txt"}));
    EXPECT_EQ(ListLogFiles(dir.path() / "missing"), Names{});
}

#ifndef _WIN32
TEST(LogFolder, FollowsLinksAndSkipsSpecialFiles) {
    TempDir dir;
    dir.Write("ActionLog1.txt", "");
    std::filesystem::create_symlink(dir.path() / "gone", dir.path() / "ActionLogBroken.txt");
    std::filesystem::create_symlink(dir.path() / "ActionLog1.txt", dir.path() / "ActionLogLink.txt");
    ASSERT_EQ(mkfifo((dir.path() / "ActionLogFifo.txt").c_str(), 0600), 0);
    EXPECT_EQ(ListLogFiles(dir.path()), (Names{"ActionLog1.txt", "ActionLogLink.txt"}));
}
#endif

TEST(LogFolder, SumsOverFilesAndFillsListAtEnd) {
    TempDir dir;
    dir.Write("ActionLog0101.txt", Log("Alia", "Widget(3)") + Log("Alia", "Gadget(1)"));
    dir.Write("ActionLog0102.txt", Log("Alia", "Widget(4)") + Log("Alia", "Enchanted Longsword of the Northern Watch(1)"));
    FakeWindow window;
    window.playerId = "Alia";
    clsHash items;
    // No trailing separator: the folder itself is still the one read.
    ProcessLogFolder(dir.path().string(), window, items);
    EXPECT_EQ(window.statuses, (Names{"Processing ActionLog0101.txt", "Processing ActionLog0102.txt"}));
    EXPECT_EQ(window.passes, 2);
    EXPECT_EQ(window.items, (Names{"Widget", "Gadget", "Enchanted Longsword of the Northern Watc"}));
    EXPECT_EQ(items.GetValue("Widget"), 7);
}

TEST(LogFolder, EmptyOrMissingFolderChangesNothing) {
    TempDir dir;
    for (const std::string& folder : {dir.text(), dir.text() + "missing/"}) {
        FakeWindow window;
        clsHash items;
        ProcessLogFolder(folder, window, items);
        EXPECT_TRUE(window.statuses.empty() && window.items.empty()) << folder;
        EXPECT_EQ(window.passes, 0);
    }
}

TEST(LogFolder, ErrorStopsScanWithListUnfilled) {
    TempDir dir;
    dir.Write("ActionLog1.txt", Log("Alia", "Widget(3)"));
    dir.Write("ActionLog2.txt", Log("Alia", "Bar(1)(2)"));
    dir.Write("ActionLog3.txt", Log("Alia", "Widget(4)"));
    FakeWindow window;
    window.playerId = "Alia";
    clsHash items;
    EXPECT_THROW(ProcessLogFolder(dir.text(), window, items), RunError);
    EXPECT_EQ(window.statuses.back(), "Processing ActionLog2.txt");
    EXPECT_TRUE(window.items.empty());
    EXPECT_EQ(items.GetValue("Widget"), 3);
}

TEST(LogFolder, InputChangedBetweenFilesAppliesToNextFile) {
    TempDir dir;
    dir.Write("ActionLog1.txt", Log("Alia", "A(1)") + Log("Bo", "B(1)"));
    dir.Write("ActionLog2.txt", Log("Alia", "C(1)") + Log("Bo", "D(1)"));
    dir.Write("ActionLog3.txt", Log("Alia", "E(1)"));
    FakeWindow window;
    window.playerId = "Alia";
    window.onPass = [](FakeWindow& w) {
        if (w.passes == 2) w.playerId = "Bo";
        return w.passes < 3;  // closing the window before the third file
    };
    clsHash items;
    ProcessLogFolder(dir.text(), window, items);
    EXPECT_EQ(items.NumKeys(), 2);
    EXPECT_EQ(items.GetValue("D"), 1);
    EXPECT_TRUE(window.items.empty()) << "a stopped scan fills no list";
}

}  // namespace
}  // namespace vantor
