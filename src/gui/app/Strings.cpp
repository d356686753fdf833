#include "app/Strings.h"

#include <QCoreApplication>
#include <QtGlobal>

#include <algorithm>
#include <array>

namespace vexilor::strings {

namespace {

constexpr char kContext[] = "vexilor::strings";

#define S(id, text) Entry{id, QT_TRANSLATE_NOOP("vexilor::strings", text)}

constexpr auto kTable = std::to_array<Entry>({
    S(104, "Windows sockets initialization failed."),

    // Resource types: plural labels, then singular labels.
    S(3001, "Keypanels"),
    S(3002, "Party Lines"),
    S(3003, "IFBs"),
    S(3004, "Special Lists"),
    S(3005, "GPI Outputs"),
    S(3006, "ISOs"),
    S(3007, "GPI Inputs"),
    S(3008, "Groups"),
    S(3009, "Auto Dials"),
    S(3010, "UPL Resources"),
    S(3011, "UPL Statements"),
    S(3012, "Dim Tables"),
    S(3013, "Dornets"),
    S(3019, "Intercom    "),
    S(3031, "Keypanel"),
    S(3032, "Party Line"),
    S(3033, "IFB"),
    S(3034, "Special List"),
    S(3035, "GPI Output"),
    S(3036, "ISO"),
    S(3037, "GPI Input"),
    S(3038, "Group"),
    S(3039, "Auto Dial"),
    S(3040, "UPL Resource"),
    S(3041, "UPL Statement"),
    S(3042, "Dim Table"),
    S(3043, "Dornet"),
    S(3073, "Unknown"),

    S(3170, "Allow All"),
    S(3171, "Deny All"),
    S(3172, "Inherit All"),
    S(3173, "This file is read-only.\nYou will not be able to save any changes."),
    S(3178, "Assignment Groups"),
    S(3179, "Assignment Group"),
    S(3180, "IFB Special Lists"),
    S(3181, "IFB Special List"),
    S(3186, "Skelby"),
    S(3187, "Skelbys"),

    // Intercom list, preferences and files.
    S(3194, "Are you sure you want to delete the intercom named '%s'?"),
    S(3195, "Add Intercom"),
    S(3196, "Choose the directory where Tovrin is located.  The Vexilor needs access to a copy of "
            "Tovrin.EXE in order to create Tovrin menu restrictions."),
    S(3197, "Choose a directory for Tovrin Restriction Files.  This is the directory where the "
            "Vexilor will store .RES files for each intercom."),
    S(3198, "Choose a directory for Intercom Configuration Files.  This is the directory where the "
            "Vexilor will store .CFG files containing the intercom size and capabilities, as well "
            "as the Alphas and Descriptions for each resource."),
    S(3199, "File?"),
    S(3200, "Edit Intercom IP Address"),
    S(3201, "Error reading %s\nChoose another directory?"),
    S(3202, "Error: %s"),
    S(3203, "Error: %s\nChoose another intercom?"),
    S(3205, "Export to Intercom"),
    S(3206, "A shortcut with this name already exists.\nWould you like to replace it?"),

    // About box.
    S(3210, "<internal>"),
    S(3211, "About Vexilor"),
    S(3212, "Standard"),
    S(3213, "UNICODE"),
    S(3215, "Unknown"),
    S(3216, "Release"),

    S(3218, "The intercom name cannot contain any of the following characters:\n\n"
            ": \\ / * ? \" < > |"),
    S(3219, "Settings for %s already exist.\nAre you sure you want to overwrite them?"),
    S(3220, "Settings for %s already exist.\nAre you sure you want to replace them with the "
            "settings for %s?"),
    // Exporting: what an export to an intercom with settings of its own replaces (3222 to 3224,
    // each a line of 3221's list), and the refusal to export to the open intercom.
    S(3221, "Settings for %1 already exist. Exporting the restrictions of %2 replaces:\n\n%3\n"
            "Are you sure you want to continue?"),
    S(3222, "- its restrictions file\n"),
    S(3223, "- its IP addresses: main %1 and partner %2 become main %3 and partner %4\n"),
    S(3224, "- its configuration file, which cannot be read\n"),
    S(3225, "%1 is the intercom that is open: Save Restrictions writes its files.\n"
            "Choose another intercom to export to."),
    S(3228, "Could not export the file."),
    S(3229, "Could not save the restrictions file:\n\n%s"),

    // The first-run welcome, shown as one message.
    S(3230, "Welcome to the Vexilor for Tovrin!\n\n"),
    S(3231, "As this appears to be a new installation of the Vexilor,\n"),
    S(3232, "you will need to make some initial configuration choices to get started:     \n\n"),
    S(3233, "1) Configure directories:\n\n"),
    S(3234, "     - Location of Tovrin.EXE (for Tovrin menu restrictions)\n"),
    S(3235, "     - Location of .RES files (restriction files for Tovrin)\n"),
    S(3236, "     - Location of .CFG files (intercom configuration files)\n\n"),
    S(3237, "2) Select an intercom to work with:\n\n"),
    S(3238, "     - Add an intercom by entering the name and IP address, or\n"),
    S(3239, "     - Browse to select from intercoms detected by broadcast\n"),

    // Checks of the preferences.
    S(3240, "The directory containing Tovrin.EXE has not been specified.     \n\n"
            "Please select a directory containing Tovrin.EXE.     "),
    S(3241, "\"%s\" does not exist.     \n\nPlease select a directory containing Tovrin.EXE.     "),
    S(3242, "\"%s\" does not appear to be a valid .EXE file.     \n\n"
            "Please select a directory containing a valid Tovrin.EXE.     "),
    S(3243, "The directory for .RES files has not been specified.     \n\n"
            "Please select a directory for .RES files.     "),
    S(3244, "\"%s\" is not a valid directory.     \n\nPlease select a new directory for .RES files.     "),
    S(3245, "The directory for .CFG files has not been specified.     \n\n"
            "Please select a directory for .CFG files.     "),
    S(3246, "\"%s\" is not a valid directory.     \n\nPlease select a new directory for .CFG files.     "),

    // Discovery.
    S(3247, "Active"),
    S(3248, "Standby"),
    S(3250, "Malvet Intercom"),
    S(3251, "Pendra System Controller"),
    S(3252, "Unknown device type"),
    S(3253, "%1/%2 Available"),

    // Desktop shortcut.
    S(3254, "Kestova - %s"),
    S(3255, "Edit Restrictions for %s"),
    S(3256, "The shorcut name cannot contain any of the following characters:\n\n"
            ": \\ / * ? \" < > |"),

    // Configuration file.
    S(3257, "No filename specified."),
    S(3258, "File '%s' not found."),
    S(3259, "%s is not the correct file type."),
    S(3260, "Error writing file header."),
    S(3261, "Error writing file data."),
    S(3262, "This file contains errors or is corrupted."),
    S(3263, "Warning: This file contains no alphas."),
    S(3264, "Warning: This file contains no descriptions."),
    S(3265, "Warning: This file does not contain the intercom configuration."),
    S(3266, "Could not open/create file '%s' for writing."),

    // Refresh Alphas: the name-mismatch message is 3275 to 3280 joined, each with its own %1/%2.
    S(3275, "The contacted intercom (%1) has a different name than the current intercom (%2).     \n\n"),
    S(3276, "This can mean one of two things:     \n\n"),
    S(3277, "1) The IP address for %1 is correct, but the intercom name has been changed to %2.     \n\n"),
    S(3278, "     - In this case, you should export the restrictions file with the new intercom name %1.     \n\n"),
    S(3279, "2) The IP address for %1 has changed, and the old IP address is now used by %2     \n\n"),
    S(3280, "     - In this case, you should edit the settings for %1 and enter the correct IP address.     "),
    S(3281, "The intercom configuration for %s has changed since you last connected to it.     "),
    S(3282, "Uploading from intercom:"),
    S(3283, "Could not connect to intercom:"),

    S(3293, "Warning: This file is a partial setup file and may not contain complete alphas."),
    S(3294, "I/O Cards"),
    S(3295, "I/O Card"),
    S(3296, "Fennby"),
    S(3297, "Fennbys"),
    S(3301, "KOLT-III Intercom"),
    S(3302, "The restrictions file %s cannot be read:\n\n%s\nReplace it with a new file? "
            "The unreadable file is kept beside it."),
    S(3303, "Save changes to %s?"),
    S(3304, "%1 is open for editing in another program:\n\nUser: %2\nComputer: %3\n"
            "Program: %4 (process %5)\nSince: %6\n\nOpen it read-only? Choose No to cancel."),
    S(3305, "%1 was left locked by a program that is no longer running:\n\nUser: %2\n"
            "Computer: %3\nProgram: %4 (process %5)\nSince: %6\n\n"
            "The lock has been taken over; you can edit the file."),
    S(3306, "No lock can be made beside %1 (the folder may be read-only), so other programs "
            "cannot be kept from changing it.\nThe file is opened read-only."),
    S(3307, "The restrictions file %s cannot be read:\n\n%s"),
    S(3321, "KOLT-III Lite Intercom"),

    // Studios, classes and users: adding, renaming, deleting, studio references.
    S(3400, "Names must be at least 2 characters long."),
    S(3401, "Class, Studio, and User names cannot contain any of the following characters:\n\n"
            ": \\ / * ? \" < > |"),
    S(3402, "That name already exists."),
    S(3403, "Are you sure you want to delete the selected item(s)?"),
    S(3404, "'%s' is referenced by other resources. Continue?"),
    S(3405, "Add New Studio"),
    S(3406, "Enter the new studio name:"),
    S(3407, "Rename"),
    S(3408, "Enter new name:"),
    S(3409, "Input Choice"),
    S(3410, "Add New Class"),
    S(3411, "Add New User"),
    S(3412, "Create new Class:"),
    S(3413, "Create new User:"),
    S(3414, " With default permissions"),
    S(3415, " With initial permissions copied from Class:"),
    S(3416, " With initial permisions copied from User: "),
    S(3417, "Enter the new Class name:"),
    S(3418, "Enter the new User name:"),
    S(3419, "&Add"),
    S(3420, "&Delete"),
    S(3421, "&Rename"),
    S(3422, "Add new studio."),
    S(3423, "Add new class."),
    S(3424, "Add new user."),
    S(3425, "Delete existing studio."),
    S(3426, "Delete existing class."),
    S(3427, "Delete existing user."),
    S(3428, "Rename existing studio."),
    S(3429, "Rename existing class."),
    S(3430, "Rename existing user."),
    S(3431, "Class: "),
    S(3432, "- none -"),
    S(3433, "Studio"),
    S(3434, "+/-"),
    S(3435, "&Include"),
    S(3436, "&Exclude"),
    S(3437, "&Remove"),
    S(3438, "Move &Up"),
    S(3439, "Move &Down"),
    S(3440, "Permissions and Restrictions: "),
    S(3441, "Allow All"),
    S(3442, "Deny All"),
    S(3443, "Inherit All"),
    S(3444, "Are you sure you want to override inherited settings and explicitly allow\n"
            "access to all resources, features, and menu items for class '%s'?"),
    S(3445, "Are you sure you want to override inherited settings and explicitly deny\n"
            "access to all resources, features, and menu items for class '%s'?"),
    S(3446, "Are you sure you want to remove all explicit permissions/restrictions and inherit\n"
            "access to all resources, features, and menu items for class '%s'?"),
    S(3447, "Are you sure you want to override inherited settings and explicitly allow\n"
            "access to all resources, features, and menu items for user '%s'?"),
    S(3448, "Are you sure you want to override inherited settings and explicitly deny\n"
            "access to all resources, features, and menu items for user '%s'?"),
    S(3449, "Are you sure you want to remove all explicit permissions/restrictions and inherit\n"
            "access to all resources, features, and menu items for user '%s'?"),
    S(3450, "Allow selected studio's resources for this class/user."),
    S(3451, "Deny selected studio's resources for this class/user."),
    S(3452, "Remove selected studio dependancies from this class/user."),
    S(3453, "Move selected studio depandancies up for this class/user."),
    S(3454, "Move selected studio depandancies down for this class/user."),
    S(3455, "Studios"),
    S(3456, "Classes"),
    S(3457, "Users"),

    // Names the restrictions file cannot hold.
    S(3460, "Names cannot contain %1: the restrictions file cannot hold this character."),
    S(3461, "The restrictions file was not written: the %1 name \"%2\" contains %3, which the "
            "file cannot hold.\n\nGive the %1 another name and try again."),
    S(3462, "The restrictions file was not written: the %1 name \"%2\" is empty or longer than %3 "
            "characters, which the file cannot hold.\n\nGive the %1 another name and try again."),
    S(3463, "studio"),
    S(3464, "class"),
    S(3465, "user"),
    S(3466, "intercom"),

    // Command prompts: the status-bar text, then after the line break the tooltip.
    S(32772, "View the release notes for this version.\nWhat's New?"),
    S(32800, "Copy restrictions to another intercom\nExport Restrictions"),
    S(32802, "Refresh the intercom alphas, capabilities, and configuration\nRefresh Alphas"),
    S(32808, "Create a desktop shortcut for the current intercom\nShortcut"),
    S(32809, "View and/or modify the application preferences.\nPreferences"),
    S(57345, "For Help, press F1"),
    S(57600, "Choose a different intercom\nChange Intercom"),
    S(57603, "Save restrictions for this intercom\nSave Restrictions"),
    S(57664, "Display program information, version number and copyright\nAbout"),
    S(57665, "Quit the application; prompts to save documents\nExit"),
    S(57667, "List Help topics\nHelp"),
    S(57668, "Display instructions about how to use help\nHelp"),
    S(57669, "Display help for clicked on buttons, menus and windows\nWhat's This?"),
    S(57670, "Display help for current task or command\nHelp"),
    S(59144, "Read-only"),
    S(59392, "Show or hide the toolbar\nToggle ToolBar"),
    S(59393, "Show or hide the status bar\nToggle Status Bar"),
});

#undef S

static_assert(std::ranges::is_sorted(kTable, {}, &Entry::id), "string table must be ordered by id");
static_assert(std::ranges::adjacent_find(kTable, {}, &Entry::id) == kTable.end(),
              "string table ids must be unique");

const Entry* Find(int id)
{
    const auto it = std::ranges::lower_bound(kTable, id, {}, &Entry::id);
    return it != kTable.end() && it->id == id ? &*it : nullptr;
}

}  // namespace

std::span<const Entry> Table()
{
    return kTable;
}

bool HasText(int id)
{
    return Find(id) != nullptr;
}

QString Text(int id)
{
    const Entry* e = Find(id);
    Q_ASSERT_X(e != nullptr, "vexilor::strings::Text", "string id missing from the table");
    if (e == nullptr)
        return QStringLiteral("<string %1>").arg(id);
    return QCoreApplication::translate(kContext, e->text);
}

QString Text(int id, std::initializer_list<FormatArg> args)
{
    return FormatText(Text(id), args);
}

QString JoinedTexts(int first, int last)
{
    QString out;
    for (int id = first; id <= last; ++id)
        out += Text(id);
    return out;
}

}  // namespace vexilor::strings
