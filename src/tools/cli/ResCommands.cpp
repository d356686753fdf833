#include "Cli.h"

namespace vexilor::cli {

void addResCommands(CLI::App& app)
{
    app.add_subcommand("res", "Restrictions files")->require_subcommand(1);
}

}  // namespace vexilor::cli
