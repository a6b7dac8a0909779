// Micro-benchmarks of the tally store. The names come from the same word
// lists as the generated logs, so many are substrings of others, and lookups
// follow the same skewed popularity as items in a log.

#include "store/cls_hash.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "synth_data.h"

namespace {

using vantor::clsHash;
using vantor::bench::Rng;

constexpr std::uint64_t kSeed = 7;
constexpr std::size_t kSequenceLength = 1 << 16;  // a power of two

std::vector<std::string> Names(std::int64_t count) {
    Rng rng(kSeed);
    return vantor::bench::MakeItemNames(rng, static_cast<std::size_t>(count), false);
}

// Indices into `count` names in the order an analysis would meet them.
std::vector<std::uint32_t> LookupOrder(std::size_t count) {
    Rng rng(kSeed + 1);
    const vantor::bench::Popularity popularity(count, 1.0, rng);
    std::vector<std::uint32_t> order(kSequenceLength);
    for (std::uint32_t& index : order) {
        index = popularity.Draw(rng);
    }
    return order;
}

void FillStore(clsHash& store, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        store.AddToValue(name, 1);
    }
}

// Names that occur nowhere in a store of generated names: '#' is in none.
std::string AbsentName(std::uint64_t number) {
    std::string name = "Relic #";
    char digits[24];
    name.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
    return name;
}

// `lookup(store, name)` over stored names, in a fixed random order.
template <typename Lookup>
void KnownNames(benchmark::State& state, Lookup lookup) {
    const std::vector<std::string> names = Names(state.range(0));
    const std::vector<std::uint32_t> order = LookupOrder(names.size());
    clsHash store;
    FillStore(store, names);
    std::size_t i = 0;
    for (auto _ : state) {
        lookup(store, names[order[i]]);
        i = (i + 1) & (kSequenceLength - 1);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["slots"] = store.NumKeys();
}

// The hot path of an analysis: adding a quantity to a name already stored.
void BM_AddToValueKnown(benchmark::State& state) {
    KnownNames(state, [](clsHash& store, const std::string& name) { store.AddToValue(name, 1); });
}
BENCHMARK(BM_AddToValueKnown)->Arg(1000)->Arg(10000);

void BM_GetValueKnown(benchmark::State& state) {
    KnownNames(state, [](clsHash& store, const std::string& name) { benchmark::DoNotOptimize(store.GetValue(name)); });
}
BENCHMARK(BM_GetValueKnown)->Arg(1000)->Arg(10000);

// A fresh store given N distinct names once each: every lookup is a first
// one, and names not inside an earlier key append a slot.
void BM_Fill(benchmark::State& state) {
    const std::vector<std::string> names = Names(state.range(0));
    std::int32_t slots = 0;
    for (auto _ : state) {
        clsHash store;
        FillStore(store, names);
        slots = store.NumKeys();
        benchmark::DoNotOptimize(slots);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["slots"] = slots;
}
BENCHMARK(BM_Fill)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Misses of names asked for before: the store remembers they were absent.
void BM_GetValueMissRepeated(benchmark::State& state) {
    const std::vector<std::string> names = Names(state.range(0));
    clsHash store;
    FillStore(store, names);
    std::vector<std::string> absent;
    for (std::uint64_t n = 0; n < 1024; ++n) {
        absent.push_back(AbsentName(n));
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.GetValue(absent[i]));
        i = (i + 1) & 1023;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetValueMissRepeated)->Arg(1000)->Arg(10000);

// Misses of names never asked for: each one searches all stored keys.
void BM_GetValueMissFirst(benchmark::State& state) {
    const std::vector<std::string> names = Names(state.range(0));
    clsHash store;
    FillStore(store, names);
    std::uint64_t n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.GetValue(AbsentName(n++)));
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * store.NumKeys() * 40);  // key text scanned, 40 bytes a slot
}
BENCHMARK(BM_GetValueMissFirst)->Arg(1000)->Arg(10000);

// First lookups of generated names never asked for before, in a store of N
// other generated names. They share words with the stored keys, so most of
// their 4-byte grams occur in the key text, and some are found inside a
// stored key. A lookup that searched the whole key text would cost ten times
// as much at 100000 names as at 10000.
void BM_GetValueFirstLookup(benchmark::State& state) {
    constexpr std::size_t kFresh = 100000;
    const auto stored = static_cast<std::size_t>(state.range(0));
    Rng rng(kSeed);
    std::vector<std::string> names = vantor::bench::MakeItemNames(rng, stored + kFresh, false);
    const std::vector<std::string> fresh(names.begin() + static_cast<std::ptrdiff_t>(stored), names.end());
    names.resize(stored);
    clsHash store;
    FillStore(store, names);
    std::size_t next = 0;
    std::int64_t found = 0;
    for (auto _ : state) {
        if (next == fresh.size()) {  // all asked for: start again on a store that has seen none
            state.PauseTiming();
            store.Clear();
            FillStore(store, names);
            next = 0;
            state.ResumeTiming();
        }
        const std::int32_t value = store.GetValue(fresh[next++]);
        found += value != 0 ? 1 : 0;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["slots"] = store.NumKeys();
    state.counters["found"] = benchmark::Counter(static_cast<double>(found) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_GetValueFirstLookup)->Arg(10000)->Arg(100000);

}  // namespace
