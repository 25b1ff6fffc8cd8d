#include "tools/ChkDskTexts.h"

namespace bw {

std::string DirtyCheckLines(char letter, const DirtyResult& dirty) {
    std::string lines =
        std::string(1, letter) + std::string(dirty.dirty ? kChecksDirty : kChecksClean);
    if (dirty.dirty && !dirty.detail.empty()) lines += " (" + dirty.detail + ")";
    if (!dirty.checked && !dirty.reason.empty())
        lines += "\r\n(the dirty state could not be read: " + dirty.reason + ")";
    return lines;
}

std::string_view DoneText(bool cancelled) {
    return cancelled ? kScanCancelled : kScanComplete;
}

std::string_view VerdictText(std::string_view output, bool repair_ticked, const ChkDskResult& r) {
    if (!r.ran || !IsResult(r.outcome)) return {};
    if (output.find(kNoProblemsMark) != std::string_view::npos) return kNoProblemsFound;
    return repair_ticked ? std::string_view() : kProblemsFound;
}

}  // namespace bw
