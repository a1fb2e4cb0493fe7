#include "app/settings_store.h"

#include <stdexcept>

#if VESKARO_HAVE_WIN32_PORTS
#include "platform/platform.h"
#endif

namespace veskaro::app {

namespace {

#if VESKARO_HAVE_WIN32_PORTS

// The real store with the ports it needs, kept alive together.
class PlatformStore final : public FolderSettingsStore {
 public:
  PlatformStore()
      : files_(MakeFileSystem()), codePage_(MakeSystemCodePage("")), store_(SettingsEnvironment{*files_, *codePage_}) {}
  void Load(FolderState& s) override { store_.Load(s); }
  void Save(const FolderState& s, bool writePicture) override { store_.Save(s, writePicture); }
  void Remove(const FolderState& s) override { store_.Remove(s); }

 private:
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<TextCodec> codePage_;
  FileFolderSettingsStore store_;
};

#else

// A build without the Win32 ports: loading behaves as for a folder without
// Desktop.ini; saving and removing say that they are unavailable instead of
// pretending to succeed.
class PlatformStore final : public FolderSettingsStore {
 public:
  void Load(FolderState& s) override {
    s.TextBackColor = ColorNone;
    s.TextColor = 0;
    s.ImagePath.clear();
    s.IconFileName.clear();
    s.IconIndexValue = 0;
  }
  void Save(const FolderState&, bool) override { throw std::runtime_error("Saving is not available in this build"); }
  void Remove(const FolderState&) override { throw std::runtime_error("Removing is not available in this build"); }
};

#endif

}  // namespace

std::unique_ptr<FolderSettingsStore> CreateSettingsStore() { return std::make_unique<PlatformStore>(); }

}  // namespace veskaro::app
