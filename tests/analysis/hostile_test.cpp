// Folders as players really have them: names that are not files, files that
// vanish, fail or shrink while read, and more logs than a process may hold
// open.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <thread>

#include "analysis/log_file.h"
#include "analysis/log_reader.h"
#include "store/cls_hash.h"
#include "tests/support/scan_outcome.h"
#include "tests/support/log_builder.h"
#include "tests/support/process_state.h"
#include "tests/support/temp_dir.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

const std::string kRecord = testing::Pickup("Widget(3)");

// Beside two logs, names that are not ordinary files (never opened: a FIFO
// would block, /dev/zero never ends) and a link to the first log (read).
// Failures are injected into the second log, of 5000 records, where a test
// run as root cannot make them happen: each is a problem naming the log and
// its path, and the scan goes on; a log that cannot be mapped is read. Logs
// are mapped 64 KiB at a time, so that the second is mapped in part.
TEST(Hostile, OnlyOrdinaryFilesAreOpenedAndAFailingLogIsAProblemNamingItsPath) {
    const testing::ScopedReadPlan mapped({detail::ReadPlan::Way::Mapped, 256 * 1024, 64 * 1024});
    const auto log2 = [](const fs::path& log) { return log.filename() == "ActionLog2.txt"; };
    const auto failsOpen = [&](int error) { return [=](const fs::path& log) { return log2(log) ? error : 0; }; };
    const auto failsAfterItsStart = [&](const fs::path& log, std::uint64_t at) { return log2(log) && at > 0 ? EIO : 0; };
    const auto unmappable = [](std::uint64_t from) { return [=](const fs::path&, std::uint64_t at) { return at >= from ? ENODEV : 0; }; };
    const auto shrinks = [&](const fs::path& log, std::uint64_t) { return log2(log) ? fs::resize_file(log, 0), 0 : 0; };
    const std::string read = "ActionLog1.txt ActionLog2.txt ActionLogLink.txt Processing ActionLog1.txt; Processing "
                             "ActionLog2.txt; Processing ActionLogLink.txt; ";
    const std::pair<testing::FileFaults, std::string> cases[] = {
        {{}, ""},
        {{failsOpen(ENOENT), {}, {}, {}}, "cannot open '$': No such file or directory"},
        {{failsOpen(EACCES), {}, {}, {}}, "cannot open '$': Permission denied"},
        {{{}, failsAfterItsStart, {}, {}}, "cannot read '$': Input/output error"},
        {{{}, failsAfterItsStart, unmappable(0), {}}, "cannot read '$': Input/output error"},
        {{{}, {}, shrinks, {}}, "cannot read '$': the file was shortened or failed while it was read"},
        {{{}, {}, unmappable(100000), {}}, ""},
    };
    TempDir dir;
    dir.Write("ActionLog1.txt", kRecord);
    fs::create_directory(dir.path() / "ActionLogDir.txt");
    ASSERT_EQ(mkfifo((dir.path() / "ActionLogFifo.txt").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir.path() / "ActionLogZero.txt");
    fs::create_symlink(dir.path() / "nowhere", dir.path() / "ActionLogBroken.txt");
    fs::create_symlink(dir.path() / "ActionLogLoop.txt", dir.path() / "ActionLogLoop.txt");
    fs::create_symlink(dir.path() / "ActionLog1.txt", dir.path() / "ActionLogLink.txt");
    std::string big;
    for (int i = 0; i < 5000; ++i) big += kRecord;  // more than one block
    for (auto [faults, problem] : cases) {
        const fs::path log = dir.Write("ActionLog2.txt", big);
        if (const auto at = problem.find('$'); at != std::string::npos) problem.replace(at, 1, log.string());
        std::string names;
        faults.open = [&, fails = faults.open](const fs::path& opening) {
            names += opening.filename().string() + " ";
            return fails ? fails(opening) : 0;
        };
        const testing::ScopedFileFaults injected(faults);
        const std::string outcome = names + testing::FolderOutcome(dir.text());
        // What the failing log credited before it failed varies.
        if (problem.empty()) {
            EXPECT_EQ(outcome, read + "Widget=15006; listed Widget=15006");
        } else {
            EXPECT_TRUE(outcome.starts_with(read + "ActionLog2.txt: file error: " + problem + " [] Widget=")) << outcome;
        }
    }
}

// A program that opens the log for writing while the reader holds its lease
// (looking for writers) makes the kernel signal the reader: that must not
// end the program (which would fail this test).
TEST(Hostile, WriterOpeningTheLogDuringTheCheckIsHarmless) {
    TempDir dir;
    const fs::path log = dir.Write("ActionLog1.txt", kRecord + kRecord.substr(0, kRecord.size() - 2));
    const std::jthread opener([&](std::stop_token stop) {
        while (!stop.stop_requested()) ::close(::open(log.c_str(), O_WRONLY | O_CLOEXEC));
    });
    struct : RecordSink {
        void Take(std::string_view, std::int32_t) override {}
    } sink;
    for (int i = 0; i < 1000; ++i) {
        SkippedRecords skipped;
        ProcessLogFile(log, {"Alia", "[Pickup]"}, sink, skipped);
    }
}

// Unchanged after it is read; each log closed before the next, so that a
// folder may hold more logs than the process may have files open.
TEST(Hostile, LogsAreReadOneAtATimeAndLeftUnchanged) {
    TempDir dir;
    for (int i = 0; i < 300; ++i) dir.Write("ActionLog" + std::to_string(i) + ".txt", kRecord);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    const std::unique_ptr<rlimit, int (*)(rlimit*)> restore(
        &saved, [](rlimit* limit) { return setrlimit(RLIMIT_NOFILE, limit); });
    const std::string outcome = testing::FolderOutcome(dir.text());
    EXPECT_TRUE(outcome.ends_with("; Widget=900; listed Widget=900")) << outcome;
    EXPECT_EQ(fs::file_size(dir.path() / "ActionLog7.txt"), kRecord.size());
}

}  // namespace
}  // namespace vantor
