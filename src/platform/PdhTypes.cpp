#include "platform/PdhTypes.h"

namespace bw {

namespace {
struct StatusText {
    PdhStatus status;
    std::string_view text;
};
inline constexpr StatusText kStatusTexts[] = {
    {kPdhOk, "ok"},
    {kPdhNoMachine, "not this computer"},
    {kPdhNoInstance, "no such instance"},
    {kPdhNoData, "not collected yet"},
    {kPdhNoObject, "no such object"},
    {kPdhNoCounter, "no such counter"},
    {kPdhInvalidData, "needs a second collect"},
    {kPdhInvalidHandle, "not an open query or counter"},
    {kPdhInvalidPath, "not a counter path"},
    {kPdhBadCounterName, "no counter name in the path"},
    {kPdhNoSource, "/proc or /sys cannot be read"},
    {kPdhCountersFrozen, "disk statistics are switched off (queue/iostats = 0)"},
};
}  // namespace

std::string_view pdh_status_text(PdhStatus status) {
    for (const auto& row : kStatusTexts)
        if (row.status == status) return row.text;
    return "unknown status";
}

}  // namespace bw
