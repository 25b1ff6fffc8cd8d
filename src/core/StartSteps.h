#pragma once

// The steps of the main window's life that other subsystems carry out: at the splash, in the
// load, while the window runs and at its unload. The start-up runs them in its own order and by
// name; each subsystem provides its own (drives, counters, tool files), tests provide theirs. One
// table names every step, so a step that nobody provides is listed as not available in this
// version instead of passing without a word.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/LiveFigures.h"

namespace bw {

struct MainWindowState;

enum class StepId {
    // Splash window.
    RatingThresholds,
    License,
    TrimRestore,
    TesterFile,
    // Main window load.
    VersionCheck,
    ResultDownload,
    SystemInfo,
    CounterQuery,
    PhysicalDisks,
    LogicalDisks,
    DriveDetails,
    UsbQuery,
    DriveList,
    QuickBaseline,
    CompareResults,
    LogicalOnlyDrives,
    CounterGroups,
    DirtyCheck,
    ProcessorCounters,
    // While the main window runs.
    SelectDrive,
    LiveFigures,
    // Main window unload.
    CloseCounterQuery,
    Starter,
};

struct StepInfo {
    StepId id;
    std::string_view what;  // how the step is named to the user when it is not available
};

// Every step, in the order a run meets them.
inline constexpr StepInfo kStepTable[] = {
    {StepId::RatingThresholds, "rating thresholds"},
    {StepId::License, "licence file"},
    {StepId::TrimRestore, "TRIM switch restore after an unfinished TRIM test"},
    {StepId::TesterFile, "tester program"},
    {StepId::VersionCheck, "version check"},
    {StepId::ResultDownload, "global results download"},
    {StepId::SystemInfo, "system information"},
    {StepId::CounterQuery, "counter query"},
    {StepId::PhysicalDisks, "physical disk list"},
    {StepId::LogicalDisks, "logical disk list"},
    {StepId::DriveDetails, "drive inventory"},
    {StepId::UsbQuery, "USB query"},
    {StepId::DriveList, "drive list"},
    {StepId::QuickBaseline, "quick read baseline"},
    {StepId::CompareResults, "stored comparison results"},
    {StepId::LogicalOnlyDrives, "drives only the logical-disk query found"},
    {StepId::CounterGroups, "counter groups"},
    {StepId::DirtyCheck, "dirty check"},
    {StepId::ProcessorCounters, "processor counters"},
    {StepId::SelectDrive, "drive specifications"},
    {StepId::LiveFigures, "live load figures"},
    {StepId::CloseCounterQuery, "counter query close"},
    {StepId::Starter, "starter at exit"},
};
inline constexpr std::size_t kStepCount = std::size(kStepTable);

// Said of a step, a window or a menu entry that this build does not have.
inline constexpr std::string_view kNotAvailable = "not available in this version";

// What a step works on and what it gives back.
struct StepContext {
    MainWindowState& state;  // the drive list, the options, Label7
    // Shows a step name of the step's own on the splash, followed by a progress dot (the counter
    // groups name theirs).
    std::function<void(const std::string& label)> show_step = [](const std::string&) {};
    std::vector<std::string> dirty_entries;  // DirtyCheck: entries whose volume is marked dirty
    double available_memory_bytes = 0;      // ProcessorCounters: the memory probe's reading
    LiveFigures live;                       // LiveFigures: the figures of the selected drive
};

class StartSteps {
public:
    using Step = std::function<void(StepContext& ctx)>;

    void provide(StepId id, Step step);
    bool provided(StepId id) const;
    // Runs the step; false when nobody provides it (not_available() lists it).
    bool run(StepId id, StepContext& ctx) const;

private:
    std::array<Step, kStepCount> steps_;
};

// "<step>: not available in this version", one line for each step nobody provides, in table order.
std::vector<std::string> not_available_lines(const StartSteps& steps);

// "<program> <version> (<build date>)".
std::string version_line(std::string_view program);
// The version line, then the lines of not_available_lines(): the about text, and what
// `brantwell-cli --version --verbose` prints.
std::string about_text(const StartSteps& steps, std::string_view program = "Brantwell");

// The licence and tester files of the splash window.
void provide_tool_file_steps(StartSteps& steps);

// The steps of the built program: every subsystem's own. Defined in the program's entry folder
// (app/ProgramSteps.cpp, plain C++) and linked into both front ends, so the desktop program and
// `brantwell-cli --version --verbose` speak of the same set.
StartSteps program_steps();

}  // namespace bw
