// Times the Win32 window's Go! over a log folder (a Windows program; run
// under Wine by bench/win32-window.sh):
//
//   win32_window_bench FOLDER PLAYER [RUNS [ASK_MS]]
//
// Creates the real window, types the folder and the player into it, presses
// Go! by BM_CLICK once to warm up, then RUNS times (default 5) timed, each
// until the analysis is over and the list filled, as the window's message
// loop would handle its messages. Meanwhile another thread sends the window
// a message every ASK_MS milliseconds (default 10) and times each answer.
// Prints one line per timed run ("run 1: Go! to a filled list 0.4123 s, 3999
// items; slowest answer 12.3 ms of 41"), then the minimum, median and
// maximum of both figures. The window's settings go to a registry key of the
// bench's own, removed after.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "win32/win32_view.h"

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;
using vantor::Control;
using vantor::win32::Win32View;

constexpr wchar_t kSettingsKey[] = L"Software\\Vantor Log Analyzer Bench";

struct Figures {
    double min, median, max;
};

Figures Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {values.front(), median, values.back()};
}

// Sends `window` WM_NULL every 5 ms from its own thread while it runs: the
// slowest answer since the last Take and how many were asked.
class Asker {
public:
    Asker(HWND window, int intervalMs)
        : mThread([this, window, intervalMs] {
              while (!mDone) {
                  const auto before = Clock::now();
                  DWORD_PTR result = 0;
                  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
                  const auto took = std::chrono::duration_cast<Clock::duration>(Clock::now() - before).count();
                  auto slowest = mSlowest.load();
                  while (took > slowest && !mSlowest.compare_exchange_weak(slowest, took)) {
                  }
                  ++mAsked;
                  std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
              }
          }) {}
    ~Asker() {
        mDone = true;
        mThread.join();
    }
    std::pair<double, int> Take() {
        const Seconds slowest = Clock::duration(mSlowest.exchange(0));
        return {slowest.count(), mAsked.exchange(0)};
    }

private:
    std::atomic<bool> mDone{false};
    std::atomic<Clock::rep> mSlowest{0};
    std::atomic<int> mAsked{0};
    std::thread mThread;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3 || argc > 5) {
        std::fputs("usage: win32_window_bench FOLDER PLAYER [RUNS [ASK_MS]]\n", stderr);
        return 2;
    }
    const int runs = argc >= 4 ? _wtoi(argv[3]) : 5;
    const int askMs = argc == 5 ? _wtoi(argv[4]) : 10;
    if (runs < 1 || askMs < 1) {
        std::fputs("win32_window_bench: RUNS and ASK_MS must be positive whole numbers\n", stderr);
        return 2;
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    std::vector<double> goes, answers;
    {
        Win32View view(GetModuleHandleW(nullptr), {},
                       vantor::win32::Settings::In(std::filesystem::temp_directory_path().wstring(), kSettingsKey));
        if (view.Window() == nullptr) {
            std::fputs("win32_window_bench: the window could not be created\n", stderr);
            return 1;
        }
        // A message about skipped records would wait for an answer.
        view.messageBox = [](HWND, std::wstring_view, std::wstring_view, UINT) {};
        view.Show(SW_SHOWNORMAL);
        const auto item = [&](Control control) { return GetDlgItem(view.Window(), Win32View::ControlId(control)); };
        SetWindowTextW(item(Control::txtLogDir), argv[1]);
        SetWindowTextW(item(Control::txtPID), argv[2]);
        const HWND list = item(Control::List1);

        Asker asker(view.Window(), askMs);
        for (int run = 0; run <= runs; ++run) {
            asker.Take();
            const auto go = Clock::now();
            SendMessageW(item(Control::Command1), BM_CLICK, 0, 0);
            while (view.Form().Scanning()) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
                for (MSG message{}; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) view.Dispatch(message);
            }
            const double took = Seconds(Clock::now() - go).count();
            const auto [slowest, asked] = asker.Take();
            if (run == 0) continue;  // the first press warms up
            const auto items = SendMessageW(list, LB_GETCOUNT, 0, 0);
            std::printf("run %d: Go! to a filled list %.4f s, %lld items; slowest answer %.1f ms of %d\n", run, took,
                        static_cast<long long>(items), slowest * 1000, asked);
            goes.push_back(took);
            answers.push_back(slowest * 1000);
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    const Figures go = Summarise(goes), answer = Summarise(answers);
    std::printf("Go! to a filled list, s: min %.3f median %.3f max %.3f\n", go.min, go.median, go.max);
    std::printf("slowest answer per run, ms: min %.1f median %.1f max %.1f\n", answer.min, answer.median, answer.max);
    return 0;
}
