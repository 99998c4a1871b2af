#include "options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

bool readCount(const std::string& text, int minimum, int& out) {
  int value = 0;
  const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (problem != std::errc() || end != text.data() + text.size() || value < minimum) return false;
  out = value;
  return true;
}

bool applyOption(const std::string& name, const std::string& value, ToolOptions& out, std::string& error) {
  if (name == "--plies") {
    if (readCount(value, 0, out.build.plies)) return true;
    error = "--plies needs a number of 0 or more";
  } else if (name == "--min-games") {
    if (readCount(value, 1, out.build.minGames)) return true;
    error = "--min-games needs a number of 1 or more";
  } else if (name == "--output") {
    out.output = value;
    if (!value.empty()) return true;
    error = "--output needs a file name";
  } else if (name == "--format") {
    if (value == "auto")
      out.format = InputFormat::ByExtension;
    else if (value == "pgn")
      out.format = InputFormat::Pgn;
    else if (value == "uci")
      out.format = InputFormat::UciLines;
    else
      error = "--format takes auto, pgn or uci";
    return error.empty();
  } else if (name == "--lost-moves") {
    if (value == "avoid")
      out.build.avoidLostMoves = true;
    else if (value == "count")
      out.build.avoidLostMoves = false;
    else
      error = "--lost-moves takes avoid or count";
    return error.empty();
  } else {
    error = "unknown option " + name;
  }
  return false;
}

}  // namespace

bool parseToolOptions(int argc, const char* const* argv, ToolOptions& out, std::string& error) {
  bool filesOnly = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (filesOnly || arg.rfind("--", 0) != 0) {
      out.inputs.push_back(arg);
      continue;
    }
    if (arg == "--") {
      filesOnly = true;
      continue;
    }
    if (arg == "--help") {
      out.help = true;
      return true;
    }
    std::string value;
    if (const size_t eq = arg.find('='); eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      error = arg + " needs a value";
      return false;
    }
    if (!applyOption(arg, value, out, error)) return false;
  }
  if (out.inputs.empty()) error = "no input files";
  return error.empty();
}

const char* usageText() {
  return "usage: velmar-book [options] FILE...\n"
         "Builds a velmar opening book from games in PGN (.pgn) or in UCI move lines (other files).\n"
         "  --output FILE        book file to write (default velmar.vbk)\n"
         "  --plies N            moves of each game that go into the book (default 24)\n"
         "  --min-games N        games a move needs to be written (default 1)\n"
         "  --lost-moves MODE    avoid: a move only played by the losing side gets value -1 and is\n"
         "                       never played (default); count: it is written like any other\n"
         "  --format FORMAT      auto (by file extension, default), pgn or uci\n";
}

InputFormat formatOf(const ToolOptions& options, const std::string& file) {
  if (options.format != InputFormat::ByExtension) return options.format;
  std::string tail = file.size() >= 4 ? file.substr(file.size() - 4) : "";
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return tail == ".pgn" ? InputFormat::Pgn : InputFormat::UciLines;
}
