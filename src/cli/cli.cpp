#include "cli/cli.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>

#include "core/folder_settings.h"
#include "core/int_text.h"
#include "platform/platform.h"

namespace veskaro::cli {
namespace {

constexpr std::string_view kProgram = "veskaro-cli";
constexpr std::string_view kDefaultCodePage = "Windows-1252";

std::string HelpText() {
  std::string text =
      "Usage:\n"
      "  veskaro-cli show FOLDER\n"
      "  veskaro-cli set [--picture PATH] [--text-color COLOR] [--text-background COLOR]\n"
      "                  [--icon FILE [--icon-index N]] FOLDER...\n"
      "  veskaro-cli reset FOLDER...\n"
      "  veskaro-cli --help\n"
      "\n"
      "Edits the Desktop.ini file through which the Windows shell shows a folder:\n"
      "the picture behind its icons, the colour of the icon captions and behind\n"
      "them, and the folder's own icon.\n"
      "\n"
      "Commands:\n"
      "  show   print the folder's settings, one Field=value line each: ImagePath,\n"
      "         TextColor, TextBackColor (-1: none), IconFileName, IconIndexValue\n"
      "  set    for each FOLDER: read its settings, apply the options given, write\n"
      "         them into its Desktop.ini, then mark the file hidden and the folder\n"
      "         as a system folder so that the shell honours the file\n"
      "  reset  for each FOLDER: remove this program's settings from Desktop.ini;\n"
      "         the file is deleted only when nothing else is left in it\n"
      "\n"
      "Options:\n"
      "  --picture PATH           background picture (an empty PATH clears it)\n"
      "  --text-color COLOR       colour of the icon captions\n"
      "  --text-background COLOR  colour behind the icon captions\n"
      "  --icon FILE              file that holds the folder's icon\n"
      "  --icon-index N           index of the icon in FILE (default 0)\n"
      "  --code-page NAME         code page of Desktop.ini files without a UTF-16\n"
      "                           byte-order mark (default Windows-1252)";
#ifdef _WIN32
  text += ";\n                           ignored on Windows, which uses the system's ANSI\n"
          "                           code page";
#endif
  text +=
      "\n"
      "  -h, --help               show this help\n"
      "\n"
      "COLOR is a decimal colour value in Windows COLORREF layout (0 to 16777215,\n"
      "red in the low byte: 255 is red) or #RRGGBB. FOLDER is the absolute path of\n"
      "an existing folder. An option may also be written --name=VALUE; \"--\" ends\n"
      "the options, for a FOLDER that begins with \"-\".\n";
#ifndef _WIN32
  text +=
      "\n"
      "This system has no hidden or system file attributes: set writes the file\n"
      "but cannot mark it for the Windows shell.\n";
#endif
  text +=
      "\n"
      "Exit status: 0 on success, 1 when any folder failed (the others are still\n"
      "done), 2 for a usage error.\n";
  return text;
}

class UsageError : public std::exception {
 public:
  explicit UsageError(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

std::optional<ColorValue> ParseColor(std::string_view text) {
  if (text.size() == 7 && text[0] == '#') {
    std::uint32_t rgb = 0;
    for (char c : text.substr(1)) {
      int digit;
      if (c >= '0' && c <= '9') digit = c - '0';
      else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      else return std::nullopt;
      rgb = (rgb << 4) | static_cast<std::uint32_t>(digit);
    }
    const std::uint32_t red = (rgb >> 16) & 0xFF, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
    return static_cast<ColorValue>(red | (green << 8) | (blue << 16));
  }
  if (text.empty() || text.size() > 8) return std::nullopt;
  std::int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > 0xFFFFFF) return std::nullopt;
  return value;
}

struct Options {
  std::string command;
  std::optional<std::string> picture;
  std::optional<ColorValue> textColor;
  std::optional<ColorValue> textBackground;
  std::optional<std::string> icon;
  std::optional<std::int32_t> iconIndex;
  std::string codePage{kDefaultCodePage};
  std::vector<std::string> folders;
  bool help = false;
};

Options ParseArguments(const std::vector<std::string>& args) {
  Options options;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      if (options.command.empty()) {
        options.command = arg;
      } else {
        options.folders.push_back(arg);
      }
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> value;
    if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    }
    const auto takeValue = [&]() -> std::string {
      if (value) return *value;
      if (i + 1 >= args.size()) throw UsageError("option " + name + " needs a value");
      return args[++i];
    };
    if (name == "--picture") {
      options.picture = takeValue();
    } else if (name == "--text-color" || name == "--text-background") {
      const std::string text = takeValue();
      const std::optional<ColorValue> color = ParseColor(text);
      if (!color) throw UsageError("not a colour: " + text + " (use 0-16777215 or #RRGGBB)");
      (name == "--text-color" ? options.textColor : options.textBackground) = color;
    } else if (name == "--icon") {
      options.icon = takeValue();
    } else if (name == "--icon-index") {
      const std::string text = takeValue();
      const std::optional<std::int32_t> index = ParseIntText(text);
      if (!index) throw UsageError("not an icon index: " + text);
      options.iconIndex = index;
    } else if (name == "--code-page") {
      options.codePage = takeValue();
    } else {
      throw UsageError("unknown option " + name);
    }
  }
  if (options.help) return options;

  const bool isSet = options.command == "set";
  if (options.command.empty()) throw UsageError("no command given");
  if (options.command != "show" && !isSet && options.command != "reset") {
    throw UsageError("unknown command " + options.command);
  }
  if (!isSet && (options.picture || options.textColor || options.textBackground || options.icon ||
                 options.iconIndex)) {
    throw UsageError("only set takes --picture, --text-color, --text-background, --icon, --icon-index");
  }
  if (options.iconIndex && !options.icon) throw UsageError("--icon-index needs --icon");
  if (options.icon && options.icon->empty()) throw UsageError("--icon needs a file name");
  if (options.folders.empty()) throw UsageError(options.command + " needs a FOLDER");
  if (options.command == "show" && options.folders.size() != 1) {
    throw UsageError("show takes exactly one FOLDER");
  }
  return options;
}

void Show(const FolderState& state, const Output& output) {
  std::string text;
  text += "ImagePath=" + state.ImagePath + "\n";
  text += "TextColor=" + FormatIntText(state.TextColor) + "\n";
  text += "TextBackColor=" + FormatIntText(state.TextBackColor) + "\n";
  text += "IconFileName=" + state.IconFileName + "\n";
  text += "IconIndexValue=" + FormatIntText(state.IconIndexValue) + "\n";
  output.out(text);
}

void RunOne(const Options& options, const std::string& folder, SettingsEnvironment env,
            const Output& output) {
  FolderState state;
  state.FolderPath = folder;
  if (options.command == "reset") {
    RemoveFolderSettings(state, env);
    return;
  }
  if (!env.files.IsExistingAbsoluteDirectory(folder)) throw FolderNotFoundError(folder);
  LoadFolderSettings(state, env);
  if (options.command == "show") {
    Show(state, output);
    return;
  }
  if (options.picture) state.ImagePath = *options.picture;
  if (options.textColor) {
    state.TextColor = *options.textColor;
    state.TextColorChanged = true;
  }
  if (options.textBackground) {
    state.TextBackColor = *options.textBackground;
    state.TextBackChanged = true;
  }
  if (options.icon) {
    state.IconFileName = *options.icon;
    state.IconIndexValue = options.iconIndex.value_or(0);
  }
  SaveFolderSettings(state, options.picture.has_value(), env);
}

}  // namespace

int Run(const std::vector<std::string>& args, const Output& output) {
  Options options;
  std::unique_ptr<TextCodec> codePage;
  try {
    options = ParseArguments(args);
    if (options.help) {
      output.out(HelpText());
      return kExitSuccess;
    }
    try {
      codePage = MakeSystemCodePage(options.codePage);
    } catch (const std::exception&) {
      throw UsageError("unknown code page " + options.codePage);
    }
  } catch (const UsageError& error) {
    output.err(std::string(kProgram) + ": " + error.what() + "\nTry 'veskaro-cli --help'.\n");
    return kExitUsage;
  }

  std::unique_ptr<FileSystem> files = MakeFileSystem();
  const SettingsEnvironment env{*files, *codePage};
  if (options.command == "set" && !PlatformHasFileAttributes()) {
    output.err(std::string(kProgram) +
               ": warning: this system has no hidden or system file attributes to set\n");
  }
  int status = kExitSuccess;
  for (const std::string& folder : options.folders) {
    try {
      RunOne(options, folder, env, output);
    } catch (const std::exception& error) {
      output.err(std::string(kProgram) + ": " + folder + ": " + error.what() + "\n");
      status = kExitFolderFailed;
    }
  }
  return status;
}

}  // namespace veskaro::cli
