#include "core/StartSteps.h"

#include "version.h"

namespace bw {

namespace {

// The table lists the ids in their declared order, so an id is its row.
constexpr bool table_in_id_order() {
    for (std::size_t i = 0; i < kStepCount; ++i)
        if (static_cast<std::size_t>(kStepTable[i].id) != i) return false;
    return true;
}
static_assert(table_in_id_order(), "kStepTable must list every StepId once, in declared order");

std::size_t row(StepId id) { return static_cast<std::size_t>(id); }

}  // namespace

void StartSteps::provide(StepId id, Step step) { steps_[row(id)] = std::move(step); }

bool StartSteps::provided(StepId id) const { return static_cast<bool>(steps_[row(id)]); }

bool StartSteps::run(StepId id, StepContext& ctx) const {
    const Step& step = steps_[row(id)];
    if (!step) return false;
    step(ctx);
    return true;
}

std::vector<std::string> not_available_lines(const StartSteps& steps) {
    std::vector<std::string> lines;
    for (const auto& info : kStepTable)
        if (!steps.provided(info.id))
            lines.push_back(std::string(info.what) + ": " + std::string(kNotAvailable));
    return lines;
}

std::string version_line(std::string_view program) {
    return std::string(program) + " " + kVersionText + " (" + kBuildDate + ")";
}

std::string about_text(const StartSteps& steps, std::string_view program) {
    std::string text = version_line(program);
    for (const auto& line : not_available_lines(steps)) text += "\n" + line;
    return text;
}

}  // namespace bw
