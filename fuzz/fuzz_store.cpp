// clsHash against NaiveStore: the input is read as a sequence of store
// operations, run on both; every result and every thrown error kind must
// agree, and so must all slots at the end.
//
// Keys are short runs over "\0 ab" (so they often occur inside other keys, in
// the padding and across slots), keys used before, or pieces of the key text
// starting around a slot's first or last byte.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "store/cls_hash.h"
#include "store/run_error.h"
#include "tests/store/naive_store.h"

namespace {

using vantor::fuzz::Escaped;
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return size_ == 0; }
    std::uint8_t Byte() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }
    std::int32_t Int32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
        return static_cast<std::int32_t>(v);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

template <typename F>
std::string Outcome(F&& f) {
    try {
        return "= " + f();
    } catch (const vantor::RunError& error) {
        return "! " + std::string(vantor::KindName(error.kind()));
    }
}

[[noreturn]] void Differ(const std::string& when, const char* op, std::string_view arg, const std::string& got,
                         const std::string& want) {
    std::fprintf(stderr, "%s: %s('%s'): clsHash %s, NaiveStore %s\n", when.c_str(), op, Escaped(arg).c_str(),
                 Escaped(got).c_str(), Escaped(want).c_str());
    std::abort();
}

const char* const kValues[] = {"", "x", " 7 ", "2.5", "-0.5", "1e3", "2147483648", "-2147483648"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    vantor::clsHash store;
    vantor::testing::NaiveStore model;
    std::vector<std::string> used;
    bool cleared = false;

    const auto key = [&] {
        const std::uint8_t how = in.Byte();
        std::string k;
        if (how % 4 == 2 && !used.empty()) return used[in.Byte() % used.size()];
        if (how % 4 == 3) {
            // Near a slot's edges, where a match's slot is easiest to get wrong.
            const std::string& text = model.keys();
            const std::size_t slot = in.Byte() % (text.size() / vantor::kKeyWidth + 1);
            const std::size_t from = slot * vantor::kKeyWidth + in.Byte() % 44;  // 2 before to 2 after
            k = text.substr(std::min(std::max<std::size_t>(from, 2) - 2, text.size()), in.Byte() % 56);
        } else {
            static constexpr char kAlphabet[] = {'\0', ' ', 'a', 'b'};
            const std::size_t length = in.Byte() % 56;
            for (std::uint8_t bits = 0; k.size() < length; bits >>= 2) {
                if (k.size() % 4 == 0) bits = in.Byte();
                k += kAlphabet[bits & 3];
            }
        }
        used.push_back(k);
        return k;
    };

    for (std::size_t step = 0; !in.empty(); ++step) {
        const std::uint8_t op = in.Byte();
        std::string arg, got, want;
        const char* name = "";
        switch (op % 8) {
            case 0:
            case 1: {
                name = "AddValue";
                const std::string k = key();
                const std::uint8_t v = in.Byte();
                const std::string value = v < 0x80 ? std::to_string(in.Int32()) : kValues[v % 8];
                got = Outcome([&] { store.AddValue(k, value); return std::string(); });
                want = Outcome([&] { model.AddValue(k, value); return std::string(); });
                arg = k + "', '" + value;
                break;
            }
            case 2:
                name = "GetValue";
                arg = key();
                got = Outcome([&] { return std::to_string(store.GetValue(arg)); });
                want = Outcome([&] { return std::to_string(model.GetValue(arg)); });
                break;
            case 3:
            case 4: {
                // Once at most: emptying the index costs more than all else here.
                if (op == 0xFB && !cleared) {
                    cleared = true;
                    name = "Clear";
                    store.Clear();
                    model.Clear();  // keys looked up before stay in `used`: their answers must go
                    break;
                }
                name = "AddToValue";
                arg = key();
                const std::uint8_t a = in.Byte();
                const std::int32_t amount = a < 0xC0 ? static_cast<std::int8_t>(in.Byte()) : in.Int32();
                got = Outcome([&] { store.AddToValue(arg, amount); return std::string(); });
                want = Outcome([&] { model.AddToValue(arg, amount); return std::string(); });
                arg += "', " + std::to_string(amount);
                break;
            }
            case 5: {
                name = "GetKeyByNumber";
                const std::int32_t number = static_cast<std::int8_t>(in.Byte());
                arg = std::to_string(number);
                got = Outcome([&] { return store.GetKeyByNumber(number); });
                want = Outcome([&] { return model.GetKeyByNumber(number); });
                break;
            }
            case 6: {
                name = "GetValueByNumber";
                const std::int32_t number = static_cast<std::int8_t>(in.Byte());
                arg = std::to_string(number);
                got = Outcome([&] { return std::to_string(store.GetValueByNumber(number)); });
                want = Outcome([&] { return std::to_string(model.GetValueByNumber(number)); });
                break;
            }
            default:
                name = "NumKeys";
                got = std::to_string(store.NumKeys());
                want = std::to_string(model.NumKeys());
                break;
        }
        if (got != want) Differ("step " + std::to_string(step), name, arg, got, want);
        if (store.NumKeys() != model.NumKeys()) {
            Differ("step " + std::to_string(step), name, arg, "NumKeys " + std::to_string(store.NumKeys()),
                   "NumKeys " + std::to_string(model.NumKeys()));
        }
    }

    for (std::int32_t n = 1; n <= model.NumKeys(); ++n) {  // every slot, at the end
        const std::string got = store.GetKeyByNumber(n) + " = " + std::to_string(store.GetValueByNumber(n));
        const std::string want = model.GetKeyByNumber(n) + " = " + std::to_string(model.GetValueByNumber(n));
        if (got != want) Differ("at the end", "slot", std::to_string(n), got, want);
    }
    return 0;
}
