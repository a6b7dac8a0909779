#include "cli/follow.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <tuple>

#include "tests/support/log_builder.h"
#include "tests/support/temp_dir.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;
using testing::Pickup;

// The tally, then the whole tally again after a log grows (JSON: one line
// each; tsv and csv: a blank line between), each item with its gain since
// the first tally; SIGINT ends it with status 0; a record that cannot be
// counted is reported once.
TEST(FollowTally, PrintsTheTallyAgainWhenTheLogsChangeItUntilInterrupted) {
    const std::tuple<OutputFormat, std::string, std::string> cases[] = {  // the first tally, then the rest
        {OutputFormat::Tsv, "Widget\t3\t0\n", "\nWidget\t7\t4\nGadget\t2\t2\n"},
        {OutputFormat::Json, "[{\"item\":\"Widget\",\"total\":3,\"session\":0}]\n",
         "[{\"item\":\"Widget\",\"total\":7,\"session\":4},{\"item\":\"Gadget\",\"total\":2,\"session\":2}]\n"},
    };
    for (const auto& [format, first, then] : cases) {
        testing::TempDir dir;
        const auto log = dir.Write("ActionLog1.txt", Pickup("Widget(3)") + Pickup("Bar(1)(2)"));
        const auto printed = dir.path() / "out.txt";
        const auto waitFor = [&](const std::string& text) {
            for (const auto end = std::chrono::steady_clock::now() + 60s; std::chrono::steady_clock::now() < end;) {
                std::ifstream in(printed, std::ios::binary);
                if (std::string(std::istreambuf_iterator<char>(in), {}) == text) return true;
                std::this_thread::sleep_for(10ms);
            }
            return false;
        };
        std::ofstream out(printed, std::ios::binary);
        std::ostringstream err;
        int status = -1;
        TallyOptions options;
        options.player = "Alia", options.format = format, options.logDir = dir.text();
        std::thread follow([&] { status = FollowTally(options, out, err); });
        const bool shown = waitFor(first);
        std::ofstream(log, std::ios::binary | std::ios::app) << Pickup("Gadget(2)") + Pickup("Widget(4)");
        const bool shownAgain = shown && waitFor(first + then);
        std::raise(SIGINT);
        follow.join();
        EXPECT_TRUE(shown && shownAgain) << first << then;
        EXPECT_EQ(status, 0);
        EXPECT_EQ(err.str(), "ActionLog1.txt:2: type mismatch: quantity '1)(2' is not a number\n");
    }
}

}  // namespace
}  // namespace vantor
