// The settings store the main window edits through.
#pragma once

#include <memory>

#include "core/editor.h"

namespace veskaro::app {

std::unique_ptr<FolderSettingsStore> CreateSettingsStore();

}  // namespace veskaro::app
