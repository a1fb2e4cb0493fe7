#include "app/settings_store.h"

#include <stdexcept>

#include "platform/platform.h"

namespace veskaro::app {

namespace {

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

}  // namespace

std::unique_ptr<FolderSettingsStore> CreateSettingsStore() { return std::make_unique<PlatformStore>(); }

}  // namespace veskaro::app
