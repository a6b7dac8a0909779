// vantor-genlogs: writes synthetic action logs for benchmarks and manual
// testing. The same options and seed always give the same bytes.
//
//   vantor-genlogs [--seed N] [--size-mb N | --pickups N] [--files N]
//                  [--players N] [--items N] [--main-share F] [--main-player ID]
//                  [--minor-player ID --minor-share F] [--pickup-share F] OUT_DIR
//
// Each file is one day of records, CRLF-terminated, Windows-1252 bytes:
//   timestamp TAB player TAB map TAB [tag] TAB x,y TAB name(quantity)
// A few names carry "(R)"/"(Y)" marks or 0x81 bytes, a few entries are
// "... Ore C." ones the reader skips, and a few lines have fewer than six
// fields. Every six-field record has a whole quantity 1..99, so no tally of
// these logs can fail or overflow. Sizes are in decimal megabytes.

#include "synth_data.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_set>
#include <vector>

namespace {

namespace fs = std::filesystem;
using vantor::bench::Popularity;
using vantor::bench::Rng;

struct Options {
    std::uint64_t seed = 1;
    double sizeMb = 100.0;
    std::uint32_t files = 10;
    std::uint32_t players = 400;
    std::uint32_t items = 4000;
    double mainShare = 0.30;
    std::string mainPlayer = "Alia";
    std::string minorPlayer;  // none when empty
    double minorShare = 0.0;
    double pickupShare = 0.50;
    std::uint64_t pickups = 0;  // when not 0, the files end at this many instead of at sizeMb
    fs::path outDir;
};

constexpr std::string_view kUsage =
    "usage: vantor-genlogs [--seed N] [--size-mb N | --pickups N] [--files N]\n"
    "                      [--players N] [--items N] [--main-share F] [--main-player ID]\n"
    "                      [--minor-player ID --minor-share F] [--pickup-share F] OUT_DIR\n"
    "  --seed N          random seed (default 1)\n"
    "  --size-mb N       total size in decimal MB, split evenly over the files (default 100)\n"
    "  --pickups N       instead of a size: stop when the main player has N [Pickup]\n"
    "                    records a tally takes (\"Ore C.\" ones excluded), split evenly\n"
    "  --files N         number of ActionLogNNNN.txt files (default 10)\n"
    "  --players N       distinct player IDs, the main player included (default 400)\n"
    "  --items N         distinct item names, at most 1000000 (default 4000)\n"
    "  --main-share F    share of lines that belong to the main player (default 0.30)\n"
    "  --main-player ID  the main player's ID (default Alia)\n"
    "  --minor-player ID a second player with a fixed share of the lines (default none)\n"
    "  --minor-share F   that player's share of lines (default 0)\n"
    "  --pickup-share F  share of six-field records tagged [Pickup] (default 0.50)\n";

[[noreturn]] void UsageError(const std::string& message) {
    std::cerr << "vantor-genlogs: " << message << "\n" << kUsage;
    std::exit(2);
}

template <typename T>
T ParseNumber(std::string_view option, std::string_view text) {
    T value{};
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || ptr != end) {
        UsageError("bad value for " + std::string(option) + ": '" + std::string(text) + "'");
    }
    return value;
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    bool haveDir = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            std::exit(0);
        }
        if (arg.starts_with("--")) {
            if (i + 1 >= argc) {
                UsageError("missing value for " + std::string(arg));
            }
            const std::string_view value = argv[++i];
            if (arg == "--seed") {
                options.seed = ParseNumber<std::uint64_t>(arg, value);
            } else if (arg == "--size-mb") {
                options.sizeMb = ParseNumber<double>(arg, value);
            } else if (arg == "--files") {
                options.files = ParseNumber<std::uint32_t>(arg, value);
            } else if (arg == "--players") {
                options.players = ParseNumber<std::uint32_t>(arg, value);
            } else if (arg == "--items") {
                options.items = ParseNumber<std::uint32_t>(arg, value);
            } else if (arg == "--main-share") {
                options.mainShare = ParseNumber<double>(arg, value);
            } else if (arg == "--main-player") {
                options.mainPlayer = std::string(value);
            } else if (arg == "--minor-player") {
                options.minorPlayer = std::string(value);
            } else if (arg == "--minor-share") {
                options.minorShare = ParseNumber<double>(arg, value);
            } else if (arg == "--pickup-share") {
                options.pickupShare = ParseNumber<double>(arg, value);
            } else if (arg == "--pickups") {
                options.pickups = ParseNumber<std::uint64_t>(arg, value);
            } else {
                UsageError("unknown option " + std::string(arg));
            }
        } else if (!haveDir) {
            options.outDir = fs::path(std::string(arg));
            haveDir = true;
        } else {
            UsageError("more than one output directory");
        }
    }
    if (!haveDir) {
        UsageError("no output directory");
    }
    if (!(options.sizeMb > 0.0) || options.sizeMb > 1.0e6) {
        UsageError("--size-mb must be in (0, 1000000]");
    }
    if (options.files < 1 || options.files > 99999) {
        UsageError("--files must be in 1..99999");
    }
    if (options.players < 2) {
        UsageError("--players must be at least 2");
    }
    if (options.items < 1 || options.items > 1000000) {
        UsageError("--items must be in 1..1000000");
    }
    if (!(options.mainShare >= 0.0 && options.mainShare <= 1.0)) {
        UsageError("--main-share must be in [0, 1]");
    }
    if (!(options.minorShare >= 0.0 && options.mainShare + options.minorShare <= 1.0)) {
        UsageError("--minor-share must be in [0, 1 - main share]");
    }
    if (options.minorShare > 0.0 && options.minorPlayer.empty()) {
        UsageError("--minor-share needs --minor-player");
    }
    if (!(options.pickupShare >= 0.0 && options.pickupShare <= 1.0)) {
        UsageError("--pickup-share must be in [0, 1]");
    }
    if (options.pickups != 0 && !(options.mainShare * options.pickupShare >= 0.001)) {
        UsageError("--pickups needs a main share times pickup share of at least 0.001");
    }
    const auto badId = [](const std::string& id) {
        return id.size() > 64 || id.find_first_of("\t\r\n") != std::string::npos;
    };
    if (options.mainPlayer.empty() || badId(options.mainPlayer)) {
        UsageError("--main-player must be 1..64 bytes, without tabs or line breaks");
    }
    if (badId(options.minorPlayer)) {
        UsageError("--minor-player must be at most 64 bytes, without tabs or line breaks");
    }
    return options;
}

// Player IDs: the main player first, then a few IDs that only look like it
// (so a reader that matches prefixes or substrings shows up in the totals),
// then names from syllables, some with digits or Windows-1252 letters. The
// minor player, when there is one, is kept out of the list: its lines are
// drawn apart.
std::vector<std::string> MakePlayers(Rng& rng, const Options& options) {
    static constexpr std::array<std::string_view, 24> kStarts = {
        "Ka", "Mo", "Ve", "Dra", "Syn", "To", "Ri", "El", "Is", "Ra", "Go", "Fi",
        "We", "Lu", "Ze", "Bri", "Tha", "Ny", "Qu", "Sa", "Or", "Xe", "Ju", "Pe",
    };
    static constexpr std::array<std::string_view, 24> kMiddles = {
        "lith", "ran", "vel", "dor", "mir", "sha", "ren", "gal", "tor", "wyn", "zar", "bel",
        "no",   "ka",  "li",  "ro",  "mae", "th",  "ven", "dri", "sol", "qua", "ne",  "fa",
    };
    static constexpr std::array<std::string_view, 16> kEnds = {
        "",  "a", "on", "is", "el", "ia", "us", "en", "\xEB", "\xE9" "e", "o\xEF", "ar", "in", "y", "ix", "or",
    };

    std::vector<std::string> players{options.mainPlayer};
    std::unordered_set<std::string> seen{options.mainPlayer};
    for (const std::string& lookalike :
         {options.mainPlayer + "2", options.mainPlayer + "_Alt", "The" + options.mainPlayer}) {
        if (players.size() < options.players && seen.insert(lookalike).second) {
            players.push_back(lookalike);
        }
    }
    if (!options.minorPlayer.empty() && !seen.insert(options.minorPlayer).second) {
        throw std::runtime_error("the minor player must differ from the main player and its look-alikes");
    }
    std::size_t failures = 0;
    while (players.size() < options.players) {
        std::string id(rng.Pick(kStarts));
        id.append(rng.Pick(kMiddles));
        if (rng.Chance(0.7)) {
            id.append(rng.Pick(kMiddles));
        }
        id.append(rng.Pick(kEnds));
        const std::uint32_t extra = rng.Below(10);
        if (extra < 4) {
            id += std::to_string(rng.Below(1000));
        } else if (extra < 6) {
            id.append("_").append(rng.Pick(kStarts)).append(rng.Pick(kMiddles));
        }
        if (!seen.insert(id).second) {
            if (++failures > 1000000) {
                throw std::runtime_error("cannot build " + std::to_string(options.players) + " distinct player IDs");
            }
            continue;
        }
        players.push_back(std::move(id));
    }
    return players;
}

std::vector<std::string> MakeMaps(Rng& rng) {
    static constexpr std::array<std::string_view, 10> kRegions = {
        "Harbor", "North_Field", "Ice_Cave", "Desert", "Town", "Forest", "Old_Mine", "Swamp", "Castle", "Valley",
    };
    std::vector<std::string> maps;
    char buffer[16];
    for (int i = 1; i <= 24; ++i) {
        std::snprintf(buffer, sizeof buffer, "Map%02d", i);
        maps.emplace_back(buffer);
    }
    for (std::string_view region : kRegions) {
        const std::uint32_t floors = rng.Between(2, 5);
        for (std::uint32_t f = 1; f <= floors; ++f) {
            std::snprintf(buffer, sizeof buffer, "%02u", f);
            maps.push_back(std::string(region) + buffer);
        }
    }
    return maps;
}

// What one player's lines hold for a tally of its [Pickup] records.
struct PlayerTally {
    std::uint64_t lines = 0;
    std::uint64_t pickups = 0;         // "Ore C." entries excluded
    std::uint64_t pickupQuantity = 0;  // the same
};

struct Tally {
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;
    PlayerTally main;
    PlayerTally minor;
};

// Where a file ends: at a byte count, or at a count of the main player's
// taken [Pickup] records.
struct FileTarget {
    std::uint64_t amount = 0;
    bool pickups = false;
};

// Everything a record is drawn from, built once from the seed.
class LogWriter {
public:
    explicit LogWriter(const Options& options)
        : options_(options),
          rng_(options.seed),
          items_(vantor::bench::MakeItemNames(rng_, options.items, true)),
          players_(MakePlayers(rng_, options)),
          maps_(MakeMaps(rng_)),
          itemPopularity_(items_.size(), 0.9, rng_),
          playerPopularity_(players_.size() - 1, 0.8, rng_),
          mapPopularity_(maps_.size(), 0.7, rng_) {
        for (std::string_view material : vantor::bench::kMaterials) {
            oreNames_.push_back(std::string(material) + " Ore C.");
            oreNames_.push_back(std::string(material) + " Ore C. Pack");
        }
        buffer_.resize(kBufferSize);
    }

    // Writes file number `index` (0-based), up to `target` or a record more.
    void WriteFile(std::uint32_t index, FileTarget target, Tally& tally) {
        char name[32];
        // As many digits as the last number needs, so that the names sort by day.
        std::snprintf(name, sizeof name, "ActionLog%0*u.txt", options_.files > 9999 ? 5 : 4, index + 1);
        const fs::path path = options_.outDir / name;
        std::FILE* file = std::fopen(path.string().c_str(), "wb");
        if (file == nullptr) {
            throw std::runtime_error("cannot create " + path.string() + ": " + std::strerror(errno));
        }
        std::setvbuf(file, nullptr, _IONBF, 0);

        // One day per file, the clock running with the bytes written.
        using namespace std::chrono;
        const year_month_day day{sys_days{2026y / January / 1} + days{index}};
        std::snprintf(date_, sizeof date_, "%04d-%02u-%02u ", static_cast<int>(day.year()),
                      static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));

        std::uint64_t written = 0;
        std::uint64_t record = 0;
        std::size_t used = 0;
        const std::uint64_t pickupsBefore = tally.main.pickups;
        for (;;) {
            const std::uint64_t done = target.pickups ? tally.main.pickups - pickupsBefore : written + used;
            if (done >= target.amount) {
                break;
            }
            const std::uint64_t second = std::min<std::uint64_t>(done * 86400 / target.amount, 86399);
            used += WriteLine(buffer_.data() + used, static_cast<std::uint32_t>(second), tally);
            ++record;
            if (used > kBufferSize - kMaxLine) {
                Flush(file, path, used);
                written += used;
                used = 0;
            }
        }
        Flush(file, path, used);
        written += used;
        if (std::fclose(file) != 0) {
            throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
        }
        tally.bytes += written;
        tally.lines += record;
    }

    const std::string& MainPlayer() const { return players_.front(); }
    const std::string& MinorPlayer() const { return options_.minorPlayer; }

private:
    static constexpr std::size_t kBufferSize = 8u << 20;
    static constexpr std::size_t kMaxLine = 256;

    void Flush(std::FILE* file, const fs::path& path, std::size_t size) {
        if (size != 0 && std::fwrite(buffer_.data(), 1, size, file) != size) {
            const int error = errno;
            std::fclose(file);
            throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(error));
        }
    }

    // Appends one line at `out`, at most kMaxLine bytes; returns its length.
    std::size_t WriteLine(char* out, std::uint32_t second, Tally& tally) {
        char* p = out;
        p = Put(p, date_);
        p = Two(p, second / 3600);
        *p++ = ':';
        p = Two(p, second / 60 % 60);
        *p++ = ':';
        p = Two(p, second % 60);
        *p++ = '\t';

        const double who = rng_.Unit();
        PlayerTally* counted = nullptr;
        const std::string* player;
        if (who < options_.mainShare) {
            player = &players_.front();
            counted = &tally.main;
        } else if (who < options_.mainShare + options_.minorShare) {
            player = &options_.minorPlayer;
            counted = &tally.minor;
        } else {
            player = &players_[1 + playerPopularity_.Draw(rng_)];
        }
        p = Put(p, *player);
        *p++ = '\t';
        p = Put(p, maps_[mapPopularity_.Draw(rng_)]);
        *p++ = '\t';

        // A few lines are logins or server notices with fewer than six fields.
        const std::uint32_t kind = rng_.Below(1000);
        if (kind < 3) {
            p = Put(p, kind == 0 ? "[Login]" : "[Logout]");
            return End(p, out, counted);
        }

        // Besides pickups: 40% sales, 36% buys, 24% shop buys.
        const double tagDraw = rng_.Unit();
        const bool pickup = tagDraw < options_.pickupShare;
        const double trade = pickup ? 0.0 : (tagDraw - options_.pickupShare) / (1.0 - options_.pickupShare);
        p = Put(p, pickup ? "[Pickup]" : trade < 0.40 ? "[Sell]" : trade < 0.76 ? "[Buy]" : "[MR_Buy]");
        *p++ = '\t';
        p = Number(p, rng_.Below(2048));
        *p++ = ',';
        p = Number(p, rng_.Below(2048));
        *p++ = '\t';

        const bool ore = rng_.Chance(0.03);
        p = Put(p, ore ? oreNames_[rng_.Below(static_cast<std::uint32_t>(oreNames_.size()))]
                       : items_[itemPopularity_.Draw(rng_)]);
        // Pickups are mostly single items; trades run to larger stacks.
        std::uint32_t quantity;
        if (pickup) {
            const std::uint32_t q = rng_.Below(100);
            quantity = q < 70 ? 1 : q < 92 ? rng_.Between(2, 5) : rng_.Between(6, 99);
        } else {
            quantity = rng_.Chance(0.3) ? 1 : rng_.Between(2, 99);
        }
        *p++ = '(';
        p = Number(p, quantity);
        *p++ = ')';
        if (counted != nullptr && pickup && !ore) {
            ++counted->pickups;
            counted->pickupQuantity += quantity;
        }
        return End(p, out, counted);
    }

    static std::size_t End(char* p, char* out, PlayerTally* counted) {
        *p++ = '\r';
        *p++ = '\n';
        if (counted != nullptr) {
            ++counted->lines;
        }
        return static_cast<std::size_t>(p - out);
    }

    static char* Put(char* p, std::string_view text) {
        std::memcpy(p, text.data(), text.size());
        return p + text.size();
    }

    static char* Two(char* p, std::uint32_t value) {
        *p++ = static_cast<char>('0' + value / 10);
        *p++ = static_cast<char>('0' + value % 10);
        return p;
    }

    static char* Number(char* p, std::uint32_t value) { return std::to_chars(p, p + 10, value).ptr; }

    const Options& options_;
    Rng rng_;
    std::vector<std::string> items_;
    std::vector<std::string> players_;
    std::vector<std::string> maps_;
    std::vector<std::string> oreNames_;
    Popularity itemPopularity_;
    Popularity playerPopularity_;
    Popularity mapPopularity_;
    std::vector<char> buffer_;
    char date_[16] = {};
};

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    try {
        fs::create_directories(options.outDir);
        LogWriter writer(options);

        const bool byPickups = options.pickups != 0;
        const std::uint64_t total = byPickups ? options.pickups : static_cast<std::uint64_t>(options.sizeMb * 1e6);
        const auto start = std::chrono::steady_clock::now();
        Tally tally;
        for (std::uint32_t i = 0; i < options.files; ++i) {
            const std::uint64_t share = total / options.files + (i + 1 == options.files ? total % options.files : 0);
            writer.WriteFile(i, FileTarget{share, byPickups}, tally);
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        std::printf("wrote %u files, %llu bytes, %llu lines to %s in %.2f s (%.0f MB/s)\n", options.files,
                    static_cast<unsigned long long>(tally.bytes), static_cast<unsigned long long>(tally.lines),
                    options.outDir.string().c_str(), seconds, static_cast<double>(tally.bytes) / 1e6 / seconds);
        const auto report = [&](const char* role, const std::string& id, const PlayerTally& player) {
            std::printf("%s player %s: %llu lines (%.2f%%), %llu [Pickup] records, %llu items picked up\n", role,
                        id.c_str(), static_cast<unsigned long long>(player.lines),
                        100.0 * static_cast<double>(player.lines) / static_cast<double>(std::max<std::uint64_t>(tally.lines, 1)),
                        static_cast<unsigned long long>(player.pickups),
                        static_cast<unsigned long long>(player.pickupQuantity));
        };
        report("main", writer.MainPlayer(), tally.main);
        if (!writer.MinorPlayer().empty()) {
            report("minor", writer.MinorPlayer(), tally.minor);
        }
    } catch (const std::exception& e) {
        std::cerr << "vantor-genlogs: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
