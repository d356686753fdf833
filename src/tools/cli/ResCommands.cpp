#include "Cli.h"

namespace vexilor::cli {
namespace {

void addResCommands(CLI::App& app)
{
    app.add_subcommand("res", "Restrictions files")->require_subcommand(1);
}

const CommandGroup group{"res", addResCommands};

}  // namespace
}  // namespace vexilor::cli
