// Interim: the Win32 file-system and code-page ports are not in this build
// yet. Loading behaves as for a folder without Desktop.ini; saving and
// removing report that they are unavailable instead of pretending success.
#include "app/settings_store.h"

#include <stdexcept>

namespace veskaro::app {

namespace {

class UnavailableStore final : public FolderSettingsStore {
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

}  // namespace

std::unique_ptr<FolderSettingsStore> CreateSettingsStore() { return std::make_unique<UnavailableStore>(); }

}  // namespace veskaro::app
