// The command line of velmar-book: "--name value" options, then the input files.
#pragma once

#include <string>
#include <vector>

#include "book_builder.h"

enum class InputFormat { ByExtension, Pgn, UciLines };

struct ToolOptions {
  BuildSettings build;
  std::string output = "velmar.vbk";
  InputFormat format = InputFormat::ByExtension;
  std::vector<std::string> inputs;
  bool help = false;
};

// False, with the reason in `error`, for an unknown option, a bad value or no input file.
bool parseToolOptions(int argc, const char* const* argv, ToolOptions& out, std::string& error);

const char* usageText();

// The format a file is read in: by option, else ".pgn" (any case) for PGN and UCI lines otherwise.
InputFormat formatOf(const ToolOptions& options, const std::string& file);
