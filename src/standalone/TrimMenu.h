#pragma once

// The questions and the warning of the main window's "TRIM Test (SSD Only)" entry, asked before
// the test window opens.

#include <string>
#include <string_view>

#include "platform/prompt.h"

namespace bw {

inline constexpr std::string_view kTrimTestTitle = "TRIM Test";

// A question asked when the drive entry holds (or, for `when_missing`, lacks) one of its words;
// the first that applies is asked, and No cancels.
struct TrimQuestion {
    std::string_view words[3];  // any of them; "" ends the list
    bool when_missing;
    std::string_view text;      // after the letter
};
inline constexpr TrimQuestion kTrimQuestions[] = {
    {{"Raid", "Stripe", "+0"}, false,
     " Drive appears to be a Raid Drive Configuration. TRIM does not work on a Raid Drive "
     "although the Firmware may perform the function quite well. "},
    {{"SSD", "", ""}, true,
     " Drive does not show as an SSD. If this is not an SSD you do not want to run this test on "
     "it. If this is an SSD then proceed."},
};

inline constexpr std::string_view kFlashWearWarning =
    "You should not run Repeated Test on the same drive as Brantwell will write a large amount "
    "of data and Flash Memory can break down with high traffic. Drive failure due to high "
    "traffice is not always covered by the warranty!";

// The question to ask for a drive entry; "" when none applies.
std::string TrimQuestionFor(std::string_view entry);

// Asks the question for `entry` (No: false) and shows the warning. `warn` is false when the
// warning is to be skipped (the command line's --yes answers it).
bool ConfirmTrimTest(std::string_view entry, Prompt& prompt, bool warn = true);

}  // namespace bw
