#pragma once

// Building blocks for synthetic action-log data, shared by the log generator
// and the store benchmark: a seeded random source whose output depends only
// on the seed, item names built from word lists, and a skewed popularity
// distribution to draw items and players from.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vantor::bench {

// std::mt19937_64 is fully defined by the standard, but the std
// distributions are not; the helpers below are written out so a seed gives
// the same bytes with any standard library.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : engine_(seed) {}

    std::uint64_t Next() { return engine_(); }

    // Uniform in [0, n). The 32-bit multiply-shift has a bias of at most
    // n / 2^32, irrelevant here.
    std::uint32_t Below(std::uint32_t n) {
        return static_cast<std::uint32_t>(((engine_() >> 32) * n) >> 32);
    }

    // Uniform in [lo, hi].
    std::uint32_t Between(std::uint32_t lo, std::uint32_t hi) { return lo + Below(hi - lo + 1); }

    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

    bool Chance(double p) { return Unit() < p; }

    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& items) {
        return items[Below(static_cast<std::uint32_t>(N))];
    }

private:
    std::mt19937_64 engine_;
};

// Draws indices 0..n-1 with weight 1 / (rank + 1)^exponent, where the ranks
// are a seeded shuffle of the indices, so the popular entries are spread over
// the list rather than bunched at its start.
class Popularity {
public:
    Popularity(std::size_t n, double exponent, Rng& rng) : cumulative_(n), index_(n) {
        if (n == 0) {
            throw std::invalid_argument("empty popularity table");
        }
        for (std::size_t i = 0; i < n; ++i) {
            index_[i] = static_cast<std::uint32_t>(i);
        }
        // Fisher-Yates with our own draw, for the same order everywhere.
        for (std::size_t i = n - 1; i > 0; --i) {
            std::swap(index_[i], index_[rng.Below(static_cast<std::uint32_t>(i + 1))]);
        }
        double sum = 0.0;
        for (std::size_t rank = 0; rank < n; ++rank) {
            sum += 1.0 / std::pow(static_cast<double>(rank + 1), exponent);
            cumulative_[rank] = sum;
        }
        for (double& c : cumulative_) {
            c /= sum;
        }
    }

    std::uint32_t Draw(Rng& rng) const {
        const double u = rng.Unit();
        auto it = std::upper_bound(cumulative_.begin(), cumulative_.end(), u);
        if (it == cumulative_.end()) {
            --it;
        }
        return index_[static_cast<std::size_t>(it - cumulative_.begin())];
    }

private:
    std::vector<double> cumulative_;  // by rank
    std::vector<std::uint32_t> index_;  // rank -> entry
};

inline constexpr std::array<std::string_view, 64> kAdjectives = {
    "Red", "Blue", "Green", "Yellow", "White", "Black", "Orange", "Purple", "Golden", "Ancient",
    "Broken", "Cursed", "Blessed", "Elder", "Lesser", "Greater", "Tiny", "Giant", "Rotten", "Fresh",
    "Shiny", "Rusty", "Sharp", "Heavy", "Light", "Frozen", "Burning", "Holy", "Dark", "Wild",
    "Royal", "Old", "New", "Lucky", "Sturdy", "Fine", "Rough", "Pure", "Mystic", "Hollow", "Silent",
    "Savage", "Gleaming", "Twisted", "Sacred", "Vile", "Noble", "Humble", "Bitter", "Sweet",
    "Crimson", "Azure", "Scarlet", "Pale", "Bright", "Grim", "Swift", "Brave", "Fallen", "Hidden",
    "Lost", "Eternal", "Spiked", "Polished",
};

inline constexpr std::array<std::string_view, 40> kMaterials = {
    "Iron", "Steel", "Copper", "Bronze", "Gold", "Silver", "Mithril", "Oak", "Pine", "Bone",
    "Leather", "Cloth", "Silk", "Crystal", "Obsidian", "Jade", "Ruby", "Emerald", "Sapphire",
    "Amber", "Coral", "Ivory", "Stone", "Glass", "Wool", "Tin", "Platinum", "Adamant", "Onyx",
    "Quartz", "Pearl", "Topaz", "Garnet", "Opal", "Ebony", "Maple", "Willow", "Ash", "Linen",
    "Marble",
};

inline constexpr std::array<std::string_view, 120> kNouns = {
    "Potion", "Herb", "Apple", "Bread", "Meat", "Fish", "Egg", "Milk", "Sword", "Dagger", "Axe",
    "Bow", "Arrow", "Spear", "Staff", "Wand", "Shield", "Helm", "Boots", "Gloves", "Ring",
    "Necklace", "Earring", "Armor", "Robe", "Cape", "Belt", "Orb", "Gem", "Shard", "Feather",
    "Fang", "Claw", "Scale", "Horn", "Tail", "Wing", "Shell", "Leaf", "Root", "Seed", "Flower",
    "Mushroom", "Card", "Scroll", "Book", "Map", "Key", "Coin", "Box", "Bag", "Bottle", "Jar",
    "Dust", "Powder", "Ink", "Thread", "Needle", "Candle", "Lantern", "Rope", "Hammer", "Pickaxe",
    "Bell", "Mask", "Ribbon", "Hat", "Crown", "Ticket", "Token", "Ore", "Ingot", "Tea", "Cheese",
    "Honey", "Salt", "Wine", "Pie", "Carrot", "Berry", "Blade", "Mace", "Lance", "Saber",
    "Crossbow", "Bolt", "Gauntlet", "Bracer", "Tunic", "Hood", "Cloak", "Amulet", "Bracelet",
    "Pendant", "Talisman", "Charm", "Idol", "Relic", "Totem", "Rune", "Tome", "Letter", "Chest",
    "Barrel", "Pot", "Cup", "Bowl", "Sickle", "Shovel", "Rod", "Lure", "Brush", "Mirror", "Flute",
    "Drum", "Harp", "Brick", "Chain", "Gear", "Skull",
};

// Appended to an earlier name, so that name is a substring of the new one.
inline constexpr std::array<std::string_view, 10> kContainers = {
    "Box", "Pack", "Bundle", "Fragment", "Piece", "Set", "Pouch", "Crate", "Sack", "Kit",
};

inline constexpr std::array<std::string_view, 24> kPlaces = {
    "Dawn", "Dusk", "Valor", "the Deep", "the North", "Storms", "Ashes", "Light", "Night", "Wisdom",
    "Fortune", "Kings", "Thunder", "the Sun", "the Moon", "Embers", "Frost", "Shadows", "the West",
    "the East", "Heroes", "the Ancients", "Giants", "Dragons",
};

// Longest item name produced, in bytes (the store keeps 40 per key).
inline constexpr std::size_t kMaxNameLength = 38;

// `count` distinct item names. With `decorate`, a few take the forms the
// reader has to clean: a "(R)" or "(Y)" mark at the end, the two bytes
// 0x81 0xA8 in place of a space, or a stray 0x81 byte. Throws when the word
// lists cannot give that many names.
inline std::vector<std::string> MakeItemNames(Rng& rng, std::size_t count, bool decorate) {
    std::vector<std::string> names;
    names.reserve(count);
    std::unordered_set<std::string> seen;
    seen.reserve(count);
    std::size_t failures = 0;
    while (names.size() < count) {
        std::string name;
        const std::uint32_t form = rng.Below(100);
        if (form < 4) {
            name = rng.Pick(kNouns);
        } else if (form < 22) {
            name.append(rng.Pick(kAdjectives)).append(" ").append(rng.Pick(kNouns));
        } else if (form < 38) {
            name.append(rng.Pick(kMaterials)).append(" ").append(rng.Pick(kNouns));
        } else if (form < 65) {
            name.append(rng.Pick(kAdjectives)).append(" ").append(rng.Pick(kMaterials));
            name.append(" ").append(rng.Pick(kNouns));
        } else if (form < 82 && !names.empty()) {
            name = names[rng.Below(static_cast<std::uint32_t>(names.size()))];
            name.append(" ").append(rng.Pick(kContainers));
        } else if (form < 90) {
            name.append(rng.Pick(kNouns)).append(" of ").append(rng.Pick(kPlaces));
        } else {
            name.append(rng.Pick(kAdjectives)).append(" ").append(rng.Pick(kNouns));
            name.append(" of ").append(rng.Pick(kPlaces));
        }
        if (decorate) {
            const std::uint32_t mark = rng.Below(1000);
            if (mark < 30) {
                name += "(R)";
            } else if (mark < 45) {
                name += "(Y)";
            } else if (mark < 65) {
                if (auto space = name.find(' '); space != std::string::npos) {
                    name.replace(space, 1, "\x81\xA8");
                }
            } else if (mark < 70) {
                name.insert(1 + rng.Below(static_cast<std::uint32_t>(name.size() - 1)), "\x81");
            }
        }
        if (name.size() > kMaxNameLength || !seen.insert(name).second) {
            if (++failures > 100 * count + 10000) {
                throw std::runtime_error("cannot build " + std::to_string(count) + " distinct item names");
            }
            continue;
        }
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace vantor::bench
