// Folders as players really have them: names that are not files, files that
// vanish, fail or grow while read, junk, and many logs.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "analysis/log_file.h"
#include "analysis/log_folder.h"
#include "analysis/log_reader.h"
#include "store/cls_hash.h"
#include "store/run_error.h"
#include "tests/support/fake_window.h"
#include "tests/support/log_builder.h"
#include "tests/support/process_state.h"
#include "tests/support/reference_reader.h"
#include "tests/support/temp_dir.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using testing::FakeWindow;
using testing::LogBuilder;
using testing::TempDir;

const std::string kRecord = LogBuilder().Record("Alia", "[Pickup]", "Widget(3)").str();

std::string Analyse(const TempDir& dir, clsHash& items, FakeWindow& window) {
    window.playerId = "Alia";
    try {
        ProcessLogFolder(dir.text(), window, items);
    } catch (const RunError& error) {
        return error.what();
    }
    return "";
}

TEST(Hostile, NamesThatAreNotOrdinaryFilesAreNeverOpened) {
    TempDir dir;
    dir.Write("ActionLog1.txt", kRecord);
    fs::create_directory(dir.path() / "ActionLogDir.txt");
    ASSERT_EQ(mkfifo((dir.path() / "ActionLogFifo.txt").c_str(), 0600), 0);  // opening it would block
    fs::create_symlink("/dev/zero", dir.path() / "ActionLogZero.txt");
    fs::create_symlink(dir.path() / "nowhere", dir.path() / "ActionLogBroken.txt");
    fs::create_symlink(dir.path() / "ActionLogLoop.txt", dir.path() / "ActionLogLoop.txt");
    std::vector<std::string> opened;
    const testing::ScopedFileFaults faults({[&](const fs::path& path) { return opened.push_back(path.filename().string()), 0; }, {}, {}, {}});
    FakeWindow window;
    clsHash items;
    EXPECT_EQ(Analyse(dir, items, window), "");
    EXPECT_EQ(opened, std::vector<std::string>{"ActionLog1.txt"});
    EXPECT_EQ(items.GetValue("Widget"), 3);
}

TEST(Hostile, FilesThatFailAreFileErrorsNamingThePath) {
    struct Case {
        const char* what;
        detail::FileFaults faults;
        const char* message;
    };
    const auto failsAfterItsStart = [](const fs::path& p, std::uint64_t offset) {
        return offset > 0 && p.filename() == "ActionLog2.txt" ? EIO : 0;
    };
    const std::vector<Case> cases = {
        {"vanished", {[](const fs::path&) { return ENOENT; }, {}, {}, {}}, "cannot open '"},
        {"unreadable", {[](const fs::path&) { return EACCES; }, {}, {}, {}}, "cannot open '"},
        {"fails mid-read", {{}, failsAfterItsStart, {}, {}}, "cannot read '"},
        {"fails mid-read, not mapped", {{}, failsAfterItsStart, [](const fs::path&, std::uint64_t) { return ENODEV; }, {}},
         "cannot read '"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::string big;
        for (int i = 0; i < 5000; ++i) big += kRecord;  // more than one block
        const fs::path log = dir.Write("ActionLog2.txt", big);
        dir.Write("ActionLog1.txt", kRecord);
        const testing::ScopedFileFaults faults({c.faults.open ? [&](const fs::path& p) { return p == log ? c.faults.open(p) : 0; }
                                                              : std::function<int(const fs::path&)>{},
                                                c.faults.read, c.faults.map, {}});
        FakeWindow window;
        clsHash items;
        const std::string error = Analyse(dir, items, window);
        EXPECT_EQ(error.rfind(std::string("file error: ") + c.message + log.string() + "': ", 0), 0u) << c.what << ": " << error;
        EXPECT_TRUE(window.items.empty()) << c.what;
        EXPECT_GE(items.GetValue("Widget"), 3) << c.what << ": the totals before the failure stay";
    }
}

TEST(Hostile, JunkNeverCrashesOrCounts) {
    TempDir dir;
    std::string junk;
    for (int i = 0; i < 100000; ++i) junk += static_cast<char>((i * 7919) % 256);
    dir.Write("ActionLog1.txt", junk);
    dir.Write("ActionLog2.txt", std::string(70000, '\0'));
    dir.Write("ActionLog3.txt", "");
    dir.Write("ActionLog4.txt", std::string(70000, '\r'));
    dir.Write("ActionLog5.txt", kRecord + std::string(300u << 20, 'x'));  // 300 MB without a line end
    FakeWindow window;
    clsHash items;
    EXPECT_EQ(Analyse(dir, items, window), "ActionLog5.txt:2: file error: line longer than 256 MiB");
    EXPECT_EQ(items.GetValue("Widget"), 3);
}

// The game appending while the log is read: whatever the reads catch, a
// half-written last record is never taken (the writer is joined however the
// test ends).
TEST(Hostile, LogGrowingWhileReadGivesWhatWasThere) {
    TempDir dir;
    const fs::path log = dir.Write("ActionLog1.txt", kRecord);
    const std::jthread writer([&](std::stop_token stop) {
        std::ofstream out(log, std::ios::binary | std::ios::app);
        for (int i = 0; i < 20000 && !stop.stop_requested(); ++i) out << kRecord << std::flush;
    });
    for (int i = 0; i < 20; ++i) {
        FakeWindow window;
        window.playerId = "Alia";
        clsHash items;
        ASSERT_NO_THROW(ProcessLogFile(log, window, items, 4096));
        EXPECT_EQ(items.GetValue("Widget") % 3, 0);  // whole records only
    }
}

// A program that opens the log for writing while the reader holds its lease
// (looking for writers) makes the kernel signal the reader: that must not
// end the program.
TEST(HostileDeathTest, WriterOpeningTheLogDuringTheCheckIsHarmless) {
    TempDir dir;
    const fs::path log = dir.Write("ActionLog1.txt", kRecord + kRecord.substr(0, kRecord.size() - 2));
    EXPECT_EXIT(
        {
            {
                const std::jthread opener([&](std::stop_token stop) {
                    while (!stop.stop_requested()) ::close(::open(log.c_str(), O_WRONLY | O_CLOEXEC));
                });
                for (int i = 0; i < 1000; ++i) {
                    struct : RecordSink {
                        void Take(std::string_view, std::int32_t) override {}
                    } sink;
                    ReadLog(log, "Alia", "[Pickup]", sink);
                }
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(Hostile, LogShortenedWhileMappedIsAFileError) {
    TempDir dir;
    std::string big;
    for (int i = 0; i < 5000; ++i) big += kRecord;
    const fs::path log = dir.Write("ActionLog1.txt", big);
    // Cuts the log to nothing at its first record: the rest of the mapped
    // bytes are gone.
    struct Shortening : RecordSink {
        fs::path log;
        int taken = 0;
        void Take(std::string_view, std::int32_t) override {
            if (taken++ == 0) fs::resize_file(log, 0);
        }
    } sink;
    sink.log = log;
    try {
        ReadLog(log, "Alia", "[Pickup]", sink, ReadLimits{1, kMaxLineBytes, 4096});
        FAIL() << "no error";
    } catch (const RunError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::FileError);
        EXPECT_EQ(std::string(error.what()), "file error: cannot read '" + log.string() +
                                                 "': the file was shortened or failed while it was read");
    }
    EXPECT_EQ(sink.taken, 1);
}

TEST(Hostile, LogThatCannotBeMappedIsReadInstead) {
    TempDir dir;
    std::string big;
    for (int i = 0; i < 5000; ++i) big += kRecord;
    const fs::path log = dir.Write("ActionLog1.txt", big);
    for (const std::uint64_t failsFrom : {std::uint64_t{0}, std::uint64_t{100000}}) {
        const testing::ScopedFileFaults faults({{}, {}, [&](const fs::path&, std::uint64_t offset) { return offset >= failsFrom ? ENODEV : 0; }, {}});
        FakeWindow window;
        window.playerId = "Alia";
        clsHash items;
        ProcessLogFile(log, window, items);
        EXPECT_EQ(items.GetValue("Widget"), 15000) << "mapping fails from offset " << failsFrom;
    }
}

TEST(HostileDeathTest, OtherBusErrorsStillEndTheProgram) {
    TempDir dir;
    const fs::path log = dir.Write("ActionLog1.txt", std::string(3 * 4096, 'x'));
    EXPECT_EXIT(
        {
            struct : RecordSink {
                void Take(std::string_view, std::int32_t) override {}
            } sink;
            // A mapped read first, so that the program's handler is in place.
            ReadLog(log, "Alia", "[Pickup]", sink, ReadLimits{1, kMaxLineBytes, 4096});
            LogFile file(log);
            const LogFile::Mapping mapping = file.Map(0, 3 * 4096);
            fs::resize_file(log, 0);
            std::printf("%d", mapping.data()[4096]);
        },
        // Killed by the signal, or by a sanitizer's handler that was there first.
        [](int status) { return status != 0 && !(WIFSIGNALED(status) && WTERMSIG(status) != SIGBUS); }, "BUS|^$");
}

TEST(Hostile, LogsAreOpenedReadOnlyAndLeftUnchanged) {
    TempDir dir;
    const fs::path log = dir.Write("ActionLog1.txt", kRecord + kRecord);
    const auto before = fs::last_write_time(log);
    struct ModeCheck : RecordSink {
        fs::path log;
        int flags = -1;
        void Take(std::string_view, std::int32_t) override {
            for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
                std::error_code error;
                if (fs::read_symlink(fd.path(), error) != log) continue;
                std::ifstream info("/proc/self/fdinfo/" + fd.path().filename().string());
                for (std::string key; info >> key;) {
                    if (key == "flags:") info >> std::oct >> flags;
                }
            }
        }
    } check;
    check.log = log;
    ReadLog(log, "Alia", "[Pickup]", check);
    ASSERT_NE(check.flags, -1) << "the log was not open while read";
    EXPECT_EQ(check.flags & O_ACCMODE, O_RDONLY);
    EXPECT_EQ(testing::ReadFile(log), kRecord + kRecord);
    EXPECT_EQ(fs::last_write_time(log), before);
}

TEST(Hostile, FiftyThousandLogs) {
    TempDir dir;
    for (int i = 0; i < 50000; ++i) dir.Write("ActionLog" + std::to_string(i) + ".txt", kRecord);
    FakeWindow window;
    clsHash items;
    EXPECT_EQ(Analyse(dir, items, window), "");
    EXPECT_EQ(window.statuses.size(), 50000u);
    EXPECT_EQ(items.GetValue("Widget"), 150000);
}

}  // namespace
}  // namespace vantor
