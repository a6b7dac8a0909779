#include "vantor/follow.h"
#include "vantor/session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include "analysis/folder_watch.h"
#include "store/cls_hash.h"
#include "tests/support/log_builder.h"
#include "tests/support/process_state.h"
#include "tests/support/scan_outcome.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_seed.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::Pickup;
using testing::TempDir;

// All of an outcome, each number and name.
std::string Rendered(const TallyOutcome& outcome) {
    std::string text = std::to_string(outcome.logsRead) + (outcome.stopped ? " stopped" : "") + " logs";
    for (const std::string& log : outcome.logs) text += " " + log;
    const auto credit = [&](const std::string& to, const auto& part) {
        text.append(to).append(":").append(std::to_string(part.quantity));
        text.append("/").append(std::to_string(part.records));
    };
    for (const TallyRow& row : outcome.rows) {
        text += "\n" + row.item + "=" + std::to_string(row.total);
        for (const LogCredit& part : row.parts) {
            text += ' ';
            credit(std::to_string(part.log), part);
        }
        for (const std::uint32_t log : row.ownLogs) text += " own " + std::to_string(log);
        for (const OtherName& other : row.others) credit(" other " + other.name, other);
    }
    for (const RunError& problem : outcome.problems) text += "\n" + testing::Described(problem);
    text += "\n" + std::to_string(outcome.problemCount) + " problems, similar";
    for (const std::string& player : outcome.similarPlayers) text += " " + player;
    return text;
}

std::string Fresh(const TempDir& dir, const Query& query, const ScanOptions& options = {1}) {
    return Rendered(TallyFolder(dir.text(), query, nullptr, options));
}

// Sets a log's time a day back, as an earlier day's log has it: a look at
// it is then trusted. Each call gives another time (whole seconds: MinGW
// sets no finer ones).
void Age(const fs::path& log) {
    static int ages = 0;
    fs::last_write_time(log, fs::file_time_type::clock::now() - 24h + ++ages * 1s);
}

// Random steps, each followed by an Update that must equal a fresh analysis:
// the game writing the last log (holding it open) in pieces that cut lines,
// CR LF and records anywhere, new logs, earlier logs rewritten,
// the last log shortened, left alone for a while or let go with an unended
// line. Names collide, totals pass the 32-bit range, records fail; the
// player found or only similar ones. Growth must be read alone. Round r uses
// TestSeed(21) + r.
TEST(LogFollower, EachUpdateEqualsAFreshAnalysisAndGrowthIsReadAlone) {
    const std::vector<std::string> names = {"Widget", "Blue Widget", "dget", "", "ab", "abab", "ba",
                                            std::string(38, 'x') + "ab", std::string(41, 'a'), "Bar(1)"};
    const std::vector<std::string> quantities = {"1", "7", "-3", "1500000000", "2.5"};
    const std::vector<std::string> players = {"Alia", "Alia", "alia", " Alia", "Bo"};
    const std::uint32_t firstSeed = testing::TestSeed(21);
    for (std::uint32_t seed = firstSeed; seed - firstSeed < 40; ++seed) {
        std::mt19937 rng(seed);
        const auto pick = [&](const std::vector<std::string>& from) { return from[rng() % from.size()]; };
        const auto records = [&](int count) {
            std::string text;
            while (count-- > 0) text += testing::Record(pick(players), rng() % 6 ? "[Pickup]" : "[Sell]",
                                                         pick(names) + "(" + pick(quantities) + ")");
            return rng() % 3 ? text : text.substr(0, text.size() - 1);  // ... or a CR alone at its end
        };
        TempDir dir;
        const Query query{seed % 3 ? "Alia" : "alia", "[Pickup]"};
        const ScanOptions options{1 + seed % 3, seed % 4 == 0};
        LogFollower follower(dir.text(), query, options);
        std::vector<fs::path> logs;
        std::optional<std::ofstream> game;  // holds the last log open for writing
        std::string unwritten;
        bool letGo = false;  // the last log was let go of since a full analysis while it was held
        for (int step = 0; step < 30; ++step) {
            unsigned op = step == 0 ? 12 : rng() % 20;
            if (op >= 14 && op < 17 && logs.size() < 2) op = 12;  // no earlier log to change
            bool grows = op < 12 || op >= 18;  // else a full analysis is due
            if (op < 12) {  // the game writes a piece
                while (unwritten.size() < 300) unwritten += records(1);
                const std::size_t size = 1 + rng() % 120;
                if (!game) game.emplace(logs.back(), std::ios::binary | std::ios::app);
                game->write(unwritten.data(), static_cast<std::streamsize>(size)).flush();
                unwritten.erase(0, size);
            } else if (op < 14) {  // a new log, last in reading order
                game.reset();
                if (!logs.empty()) Age(logs.back());
                logs.push_back(dir.Write("ActionLog" + std::to_string(10 + step) + ".txt", records(rng() % 4)));
                game.emplace(logs.back(), std::ios::binary | std::ios::app);
            } else if (op < 17) {  // an earlier log rewritten
                const fs::path& earlier = logs[rng() % (logs.size() - 1)];
                testing::WriteFile(earlier, records(rng() % 4));
                Age(earlier);
            } else if (op < 18) {  // the last log shortened
                game.reset();
                grows = fs::file_size(logs.back()) == 0;
                fs::resize_file(logs.back(), fs::file_size(logs.back()) / 2);
                game.emplace(logs.back(), std::ios::binary | std::ios::app);
            } else if (op < 19) {  // a while without writing, the log still held
                Age(logs.back());
            } else {
                game.reset();  // the game lets go
            }
            const std::string followed = Rendered(follower.Update());
            ASSERT_EQ(followed, Fresh(dir, query, options)) << "seed " << seed << ", step " << step;
            // A last unended line may have been taken while the game let go.
            if (!grows || !letGo) {
                ASSERT_EQ(follower.LastUpdateWasIncremental(), grows) << "seed " << seed << ", step " << step;
            }
            letGo = !game || (letGo && grows);
        }
    }
}

// Changes that a look at sizes and times misses: an earlier log rewritten
// in the clock tick of the last look, its size kept; so the end of the last
// log; the last log replaced by a longer file that differs only far before
// its old end. A log that could not be opened, read again though only the
// last log grew. And a name whose first record made a slot of its own
// ("abab" after "x...xab"), appended again after another name went to the
// slot it now finds: listed among that slot's names as a fresh analysis
// lists it.
TEST(LogFollower, SeesChangesThatKeepSizesAndTimes) {
    std::string long1;
    for (int i = 0; i < 80; ++i) long1 += Pickup("Widget(1)");
    const std::string long2 = Pickup("Widget(2)") + long1.substr(Pickup("Widget(1)").size());
    const auto rewrite = [](const fs::path& log, const std::string& bytes) {
        const auto time = fs::last_write_time(log);
        testing::WriteFile(log, bytes);
        fs::last_write_time(log, time);
    };
    const auto append = [](const fs::path& log, const std::string& bytes) {
        std::ofstream(log, std::ios::binary | std::ios::app) << bytes;
    };
    const auto locked = [](const fs::path& log) { return log.filename() == "ActionLog1.txt" ? EACCES : 0; };
    struct Case {
        std::string last;
        bool earlierJustWritten;
        std::function<int(const fs::path&)> opens;  // a fault in the first Update
        std::function<void(const fs::path& earlier, const fs::path& last)> change;
    };
    const Case cases[] = {
        {long1, true, {}, [&](const fs::path& earlier, const fs::path&) { rewrite(earlier, Pickup("Widget(4)")); }},
        {long1, false, {},
         [&](const fs::path&, const fs::path& last) { rewrite(last, long1.substr(0, long1.size() - 4) + "(7)\r\n"); }},
        {long1, false, {}, [&](const fs::path&, const fs::path& last) {
             testing::WriteFile(fs::path(last).replace_extension(".new"), long2 + Pickup("Gadget(1)"));
             fs::rename(fs::path(last).replace_extension(".new"), last);
         }},
        {long1, false, locked, [&](const fs::path&, const fs::path& last) { append(last, Pickup("Gadget(1)")); }},
        {Pickup(std::string(38, 'x') + "ab(1)") + Pickup("abab(1)") + Pickup("ab(1)"), false, {},
         [&](const fs::path&, const fs::path& last) { append(last, Pickup("abab(2)")); }},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const fs::path earlier = dir.Write("ActionLog1.txt", Pickup("Widget(3)"));
        if (!c.earlierJustWritten) Age(earlier);
        const fs::path last = dir.Write("ActionLog2.txt", c.last);
        LogFollower follower(dir.text(), {"Alia"});
        {
            const testing::ScopedFileFaults faults({c.opens, {}, {}, {}});
            follower.Update();
        }
        c.change(earlier, last);
        EXPECT_EQ(Rendered(follower.Update()), Fresh(dir, {"Alia"})) << &c - cases;
    }
}

// A change ends a wait, and so does Wake, called from another thread; a
// folder that goes away is an error of the next Update. With the system's
// notifications and, as where there are none, by looking at the logs.
TEST(LogFollower, WaitsForAChangeOrAWake) {
    const std::shared_ptr<void> putBack(nullptr, [](void*) { detail::UseNotifications(true); });
    for (const bool notified : {true, false}) {
        detail::UseNotifications(notified);
        TempDir dir;
        const fs::path log = dir.Write("ActionLog1.txt", Pickup("Widget(3)"));
        Age(log);  // else, where logs are looked at, looked at again once trusted
        LogFollower follower(dir.text(), {"Alia"});
        follower.Update();
        EXPECT_FALSE(follower.WaitForChange(300ms));
        std::ofstream(log, std::ios::binary | std::ios::app) << Pickup("Gadget(2)");
        EXPECT_TRUE(follower.WaitForChange(60s));
        EXPECT_EQ(follower.Update().rows.size(), 2u);

        const auto start = std::chrono::steady_clock::now();
        std::thread waker([&] { follower.Wake(); });
        EXPECT_FALSE(follower.WaitForChange(60s));
        waker.join();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);  // woken, not timed out

        fs::remove_all(dir.path());
        EXPECT_TRUE(follower.WaitForChange(60s));
        EXPECT_THROW(follower.Update(), RunError);
    }
}

// What a follower on its own thread pushed, as the window gets it.
class Pushed : public FollowObserver {
public:
    bool BeforeLog(std::string_view, std::size_t, std::size_t) override { return true; }
    bool Updated(const TallyOutcome& outcome, bool changed) override {
        const std::lock_guard lock(mutex_);
        updates_.push_back((changed ? "changed " : "same ") + Rendered(outcome));
        arrived_.notify_all();
        return updates_.size() < stopAfter;
    }
    void Failed(const RunError& error) override {
        const std::lock_guard lock(mutex_);
        updates_.push_back("failed " + error.detail());
        arrived_.notify_all();
    }
    // Whether a push that starts with `text` comes (or came), waiting for
    // it at most `timeout`. More than one push may follow a change: the
    // system may report a write in steps.
    bool Saw(const std::string& text, std::chrono::milliseconds timeout = 60s) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, timeout, [&] {
            return std::any_of(updates_.begin(), updates_.end(), [&](const std::string& u) { return u.starts_with(text); });
        });
    }
    std::size_t Count() {
        const std::lock_guard lock(mutex_);
        return updates_.size();
    }
    std::size_t stopAfter = SIZE_MAX;

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::string> updates_;
};

// Started, a follower pushes the first tally, then one after each change,
// telling whether the tally changed; the folder going away ends it with a
// failure, and the observer's no ends it too.
TEST(LogFollower, PushesEachTallyFromItsOwnThreadUntilStopped) {
    TempDir dir;
    const fs::path log = dir.Write("ActionLog1.txt", Pickup("Widget(3)"));
    const auto append = [&](const std::string& records) {
        std::ofstream(log, std::ios::binary | std::ios::app) << records;
    };
    {
        Pushed pushed;
        LogFollower follower(dir.text(), {"Alia"});
        follower.Start(pushed);
        EXPECT_TRUE(pushed.Saw("changed " + Fresh(dir, {"Alia"})));
        append(Pickup("Widget(5)", "Bren"));
        EXPECT_TRUE(pushed.Saw("same " + Fresh(dir, {"Alia"})));
        append(Pickup("Gadget(2)"));
        EXPECT_TRUE(pushed.Saw("changed " + Fresh(dir, {"Alia"})));
        fs::remove_all(dir.path());
        EXPECT_TRUE(pushed.Saw("failed "));
        follower.Join();
    }
    TempDir other;
    other.Write("ActionLog1.txt", Pickup("Widget(3)"));
    Pushed pushed;
    pushed.stopAfter = 1;
    LogFollower follower(other.text(), {"Alia"});
    follower.Start(pushed);
    follower.Join();  // returns: the observer said no
    EXPECT_EQ(pushed.Count(), 1u);
}

// A followed session's gains: a row is known by its name and how many rows
// before it have that name (a name cut at 40 bytes), wherever it is listed
// now; one not listed at the start gains its whole total, and an earlier log
// rewritten with less a loss.
TEST(SessionStart, EachRowGainsItsTotalLessItsTotalAtTheStart) {
    struct Row { std::string item; std::int64_t total; };
    const std::vector<Row> start{{"Cut", 5}, {"Rope", 3}, {"Cut", 2}};
    const std::vector<Row> now{{"Rope", 1}, {"Cut", 6}, {"Gem", 4}, {"Cut", 2}, {"Cut", 7}};
    EXPECT_EQ(SessionStart(start, &Row::total).Gains(now, &Row::total), (std::vector<std::int64_t>{-2, 1, 4, 0, 7}));
}

}  // namespace
}  // namespace vantor
