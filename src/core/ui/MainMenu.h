#pragma once

// The main window's menus: every entry's name, the menu that holds it and its caption. A subsystem
// registers its action under the entry's name (UiRegistry); an entry without one is shown
// disabled, with the reason as its tool tip.

#include <string_view>

namespace bw {

// Menus.
inline constexpr std::string_view kMnuOpt = "mnuopt";  // "Tools"
inline constexpr std::string_view kMnua = "mnua";      // "About"
// Entries.
inline constexpr std::string_view kMnuPref = "mnupref";
inline constexpr std::string_view kMnuBasicTest = "mnuBasicTest";
inline constexpr std::string_view kMnuMEM = "mnuMEM";
inline constexpr std::string_view kMnuGlowbox = "mnuGlowbox";
inline constexpr std::string_view kMnuMonitor = "mnuMonitor";
inline constexpr std::string_view kMnuScan = "mnuScan";
inline constexpr std::string_view kMnuMyTest = "mnuMyTest";
inline constexpr std::string_view kMnuTuning = "mnuTuning";
inline constexpr std::string_view kMnuTRIMTest = "mnuTRIMTest";
inline constexpr std::string_view kMnnExit = "mnnexit";
inline constexpr std::string_view kMnuTRIM = "mnuTRIM";
inline constexpr std::string_view kMnuHelp = "mnuhelp";
inline constexpr std::string_view kMnuWeb = "mnuweb";
inline constexpr std::string_view kMnuAbout = "mnuabout";
// The AHCI action: under "About", where the AHCI advice sends the user for instructions.
inline constexpr std::string_view kMnuAHCI = "mnuAHCI";

// The main window's buttons that start another subsystem's work; they are enabled, like menu
// entries, when that subsystem registered an action under their name.
inline constexpr std::string_view kCommand1 = "Command1";  // "Run Test"
inline constexpr std::string_view kCommand3 = "Command3";  // "Monitor Only"

struct MenuHead {
    std::string_view name;
    std::string_view caption;
};
inline constexpr MenuHead kMenuHeads[] = {{kMnuOpt, "Tools"}, {kMnua, "About"}};

struct MenuEntry {
    std::string_view menu;  // "" for an item of the menu bar itself
    std::string_view name;
    std::string_view caption;
};
// In the order shown; a menu appears where its first entry is.
inline constexpr MenuEntry kMainMenu[] = {
    {kMnuOpt, kMnuPref, "Preferences"},
    {kMnuOpt, kMnuBasicTest, "Run Basic Test"},
    {kMnuOpt, kMnuMEM, "Test MEM/Cache Speeds"},
    {kMnuOpt, kMnuGlowbox, "Glowbox"},
    {kMnuOpt, kMnuMonitor, "Monitor My Hard Drives"},
    {kMnuOpt, kMnuScan, "Scan Disk/Repair"},
    {kMnuOpt, kMnuMyTest, "Compare My Test"},
    {kMnuOpt, kMnuTuning, "HD/SSD Tuning"},
    {kMnuOpt, kMnuTRIMTest, "TRIM Test (SSD Only)"},
    {"", kMnnExit, "Exit"},
    {kMnua, kMnuTRIM, "What is TRIM"},
    {kMnua, kMnuHelp, "Help"},
    {kMnua, kMnuWeb, "Website"},
    {kMnua, kMnuAbout, "About"},
    {kMnua, kMnuAHCI, "AHCI Mode"},
};

}  // namespace bw
