#pragma once

#include <CLI/CLI.hpp>

#include <cstdio>
#include <functional>
#include <string>

#include "text/CodePage.h"

// Shared plumbing of vexilor-cli. Exit codes are a contract: 0 success, 1 an error the command
// reported, 2 bad usage.
namespace vexilor::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;

using Runner = std::function<int()>;

// Binds a subcommand to the function that runs it once the whole command line has parsed.
void onRun(CLI::App* sub, Runner runner);

// Each group of subcommands lives in a source file of its own and registers itself with a
// namespace-scope object:  static const CommandGroup group{"res", addResCommands};
// main() adds the groups in the order of their names.
using AddCommands = void (*)(CLI::App&);
struct CommandGroup {
    CommandGroup(const char* name, AddCommands add);
};

// Whole-file helpers; false with a message in error on failure.
bool readFile(const std::string& path, std::string& bytes, std::string& error);
// Writes through a temporary file renamed over the target, so a failed write keeps the old file.
bool writeFileAtomic(const std::string& path, const std::string& bytes, std::string& error);
// Prints "vexilor-cli: message" on stderr and returns kExitError.
int fail(const std::string& message);

// The code page of restrictions files and of the 8-bit texts of configuration files and of the
// wire: --code-page, else the system's ANSI code page on Windows and Windows-1252 elsewhere.
const text::CodePage& codePage();

}  // namespace vexilor::cli
