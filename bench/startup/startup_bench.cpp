// Start-up time and memory of veskaro.exe under the same conditions as a
// minimal Win32 program that shows one empty window.
//
//   startup_bench [runs]     (default 15; run under tools/with-xvfb)
//
// Start-up: from CreateProcessW until the main window is visible, the process
// is idle for input and its message loop answers. The two programs alternate
// run by run so that both see the same machine load; the medians are
// compared. Goal: veskaro.exe at most 1.3 times the minimal window.
// Memory: peak working set and private commit of the idle program, two
// seconds after its window showed (after the panel's first slide back).
// Goal: under 20 MB.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "driver.h"

namespace e2e = veskaro::e2e;
using namespace std::chrono_literals;

namespace {

struct Program {
  const char* name;
  std::filesystem::path exe;
  const wchar_t* window_class;
};

struct StartTimes {
  double visible = -1;  // ms until the window is visible
  double idle = -1;     // ms until it is also idle and answers messages
};

// One start; negative times when the window never showed.
StartTimes TimeStart(const Program& program, const std::filesystem::path& folder) {
  e2e::MoveMouse({5, 5});
  StartTimes times;
  const auto start = std::chrono::steady_clock::now();
  auto since_start = [&] {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
  };
  e2e::Process app = e2e::Process::Start(program.exe, folder);
  if (e2e::WaitForTopWindow(app.Id(), program.window_class, 30s, 5ms) != nullptr) {
    times.visible = since_start();
    if (app.WaitForMainWindow(program.window_class, 30s) != nullptr) times.idle = since_start();
  }
  app.Close();
  return times;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Megabytes(std::size_t bytes) { return double(bytes) / (1024.0 * 1024.0); }

void ReportMemory(const Program& program, const std::filesystem::path& folder) {
  e2e::MoveMouse({5, 5});
  e2e::Process app = e2e::Process::Start(program.exe, folder);
  if (app.WaitForMainWindow(program.window_class, 30s) == nullptr) {
    std::printf("%-16s memory: window never showed\n", program.name);
    return;
  }
  std::this_thread::sleep_for(2s);
  const e2e::MemoryUse use = app.Memory();
  std::printf("%-16s peak working set %6.1f MB, working set %6.1f MB, private %6.1f MB "
              "(peak %6.1f MB)\n",
              program.name, Megabytes(use.peak_working_set), Megabytes(use.working_set),
              Megabytes(use.pagefile_usage), Megabytes(use.peak_pagefile_usage));
  app.Close();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const std::filesystem::path dir = e2e::Wide(VESKARO_PROGRAM_DIR);
  const Program minimal{"minimal window", dir / L"minimal_window.exe", L"MinimalWindow"};
  const Program veskaro{"veskaro.exe", dir / L"veskaro.exe", L"TForm1"};
  for (const Program* program : {&minimal, &veskaro}) {
    if (!e2e::FileExists(program->exe)) {
      std::printf("%s is not built: %s\n", program->name, e2e::Utf8(program->exe.wstring()).c_str());
      return 1;
    }
  }
  e2e::TempFolder folder(L"bench");

  // One start of each first: Wine loads and maps its own DLLs once.
  TimeStart(minimal, folder.Path());
  TimeStart(veskaro, folder.Path());

  std::vector<double> minimal_times, veskaro_times, minimal_visible, veskaro_visible;
  for (int i = 0; i < runs; ++i) {
    const bool veskaro_first = i % 2 == 1;
    for (int k = 0; k < 2; ++k) {
      const bool is_veskaro = (k == 0) == veskaro_first;
      const Program& program = is_veskaro ? veskaro : minimal;
      const StartTimes times = TimeStart(program, folder.Path());
      if (times.idle < 0) {
        std::printf("%s: the window never showed\n", program.name);
        return 1;
      }
      (is_veskaro ? veskaro_times : minimal_times).push_back(times.idle);
      (is_veskaro ? veskaro_visible : minimal_visible).push_back(times.visible);
    }
  }
  auto report = [](const char* name, const std::vector<double>& idle,
                   const std::vector<double>& visible) {
    std::printf("  %-16s %8.1f ms (min %.1f, max %.1f); visible after %.1f ms\n", name,
                Median(idle), *std::min_element(idle.begin(), idle.end()),
                *std::max_element(idle.begin(), idle.end()), Median(visible));
  };
  std::printf("start-up until shown and idle, median of %d runs:\n", runs);
  report(minimal.name, minimal_times, minimal_visible);
  report(veskaro.name, veskaro_times, veskaro_visible);
  const double ratio = Median(veskaro_times) / Median(minimal_times);
  const double best_ratio = *std::min_element(veskaro_times.begin(), veskaro_times.end()) /
                            *std::min_element(minimal_times.begin(), minimal_times.end());
  std::printf("  ratio of medians %.2f, of minima %.2f (goal at most 1.30): %s\n", ratio,
              best_ratio, ratio <= 1.3 ? "met" : "NOT met");

  std::printf("memory of the idle program:\n");
  ReportMemory(minimal, folder.Path());
  ReportMemory(veskaro, folder.Path());
  std::printf("  goal: veskaro.exe peak working set under 20 MB\n");
  return 0;
}
