// veskaro-cli: the folder-settings core driven from a command line.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace veskaro::cli {

struct Output {
  std::function<void(std::string_view)> out;  // UTF-8
  std::function<void(std::string_view)> err;  // UTF-8
};

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFolderFailed = 1;
inline constexpr int kExitUsage = 2;

// `args` are the UTF-8 arguments after the program name.
int Run(const std::vector<std::string>& args, const Output& output);

}  // namespace veskaro::cli
