// Load and save of settings files of 1 KB, 100 KB and 1 MB through an
// in-memory file system. Bytes per second stays flat when the cost is linear.
#include <benchmark/benchmark.h>

#include <string>

#include "../tests/core/fakes.h"
#include "core/folder_settings.h"
#include "core/profile_file.h"

namespace {

using veskaro::FolderState;
using veskaro::SettingsEnvironment;
using veskaro::testing::FakeCodePage;
using veskaro::testing::FakeFileSystem;

constexpr char kFolder[] = "C:\\Bench";
constexpr char kIni[] = "C:\\Bench\\Desktop.ini";

// A file of about `size` bytes: many foreign sections and keys, with our two
// sections at the very end so that every lookup walks the whole file.
std::string MakeFile(std::size_t size) {
  std::string text = "; generated\r\n";
  for (int section = 0; text.size() < size; ++section) {
    text += "[Section" + std::to_string(section) + "]\r\n";
    for (int key = 0; key < 8 && text.size() < size; ++key) {
      text += "Key" + std::to_string(key) + " = some value " + std::to_string(section * 8 + key) +
              "\r\n";
    }
  }
  text += "[{BE098140-A513-11D0-A3A4-00C04FD706EC}]\r\nIconarea_Image=C:\\pic.jpg\r\n"
          "IconArea_Text=255\r\n[.ShellClassInfo]\r\nIconFile=C:\\i.ico\r\nIconIndex=1\r\n";
  return text;
}

struct Setup {
  explicit Setup(std::size_t size) : bytes(MakeFile(size)) {
    files.AddFolder("C:\\");
    files.AddFolder(kFolder);
    files.AddFile(kIni, bytes);
    state.FolderPath = kFolder;
  }
  SettingsEnvironment env() { return SettingsEnvironment{files, codePage}; }

  std::string bytes;
  FakeFileSystem files;
  FakeCodePage codePage;
  FolderState state;
};

void BM_Load(benchmark::State& run) {
  Setup setup(static_cast<std::size_t>(run.range(0)));
  for (auto _ : run) {
    veskaro::LoadFolderSettings(setup.state, setup.env());
    benchmark::DoNotOptimize(setup.state);
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) *
                        static_cast<std::int64_t>(setup.bytes.size()));
}

void BM_Save(benchmark::State& run) {
  Setup setup(static_cast<std::size_t>(run.range(0)));
  setup.state.ImagePath = "C:\\other.jpg";
  setup.state.TextColor = 65280;
  setup.state.TextColorChanged = true;
  setup.state.TextBackChanged = true;
  setup.state.IconFileName = "C:\\other.ico";
  for (auto _ : run) {
    veskaro::SaveFolderSettings(setup.state, true, setup.env());  // five key writes
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) *
                        static_cast<std::int64_t>(setup.bytes.size()));
}

void BM_ParseSerialize(benchmark::State& run) {
  const std::string bytes = MakeFile(static_cast<std::size_t>(run.range(0)));
  for (auto _ : run) {
    benchmark::DoNotOptimize(veskaro::ProfileFile::Parse(bytes).Serialize());
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) *
                        static_cast<std::int64_t>(bytes.size()));
}

BENCHMARK(BM_Load)->Arg(1 << 10)->Arg(100 << 10)->Arg(1 << 20);
BENCHMARK(BM_Save)->Arg(1 << 10)->Arg(100 << 10)->Arg(1 << 20);
BENCHMARK(BM_ParseSerialize)->Arg(1 << 10)->Arg(100 << 10)->Arg(1 << 20);

}  // namespace
