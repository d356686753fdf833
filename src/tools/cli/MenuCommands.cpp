#include "Cli.h"

#include "restrictions/MenuCatalogue.h"
#include "text/Windows1252.h"

#include <cstdint>
#include <iostream>
#include <memory>

namespace vexilor::cli {
namespace {

struct MenusOptions {
    std::string exe;
    std::uint32_t lcid = CMenuCatalogue::kDefaultLcid;
};

int runMenus(const MenusOptions& options)
{
    CMenuCatalogue catalogue;
    if (!catalogue.load(options.exe, options.lcid))
        return fail(catalogue.error());
    std::string out;
    for (std::size_t i = 0; i < catalogue.count(); ++i) {
        out += text::toUtf8(catalogue.key(i));
        out += '\t';
        out += text::toUtf8(catalogue.text(i));
        out += '\n';
    }
    std::cout << out << std::flush;
    return kExitOk;
}

void addMenuCommands(CLI::App& app)
{
    auto options = std::make_shared<MenusOptions>();
    CLI::App* sub = app.add_subcommand(
        "menus", "List the restrictable menu items of Tovrin's executable: key<TAB>text per line");
    sub->add_option("EXE", options->exe, "Tovrin's executable")->required();
    sub->add_option("--lcid", options->lcid,
                    "Locale identifier of the language library tvres<LCID>.dll beside EXE")
        ->capture_default_str();
    onRun(sub, [options] { return runMenus(*options); });
}

const CommandGroup group{"menus", addMenuCommands};

}  // namespace
}  // namespace vexilor::cli
