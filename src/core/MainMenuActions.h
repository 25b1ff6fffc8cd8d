#pragma once

// The plain work behind the main window's own menu entries and its `Label3` diagnostic; the
// windows they show live in core/ui.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

// The product's web page, opened by "Website" in the desktop's browser.
inline constexpr std::string_view kWebsite = "https://brantwell.org/";

// The user's own result lines of "Compare My Test".
inline constexpr std::string_view kMyResultsFile = "MyPResults.Dat";
inline constexpr std::string_view kNoDataToCompare = "No Data Collected to Compare";

// The `Label3` diagnostic: one message for the program and one for each of the three testers,
// with the process id each runs under ("not running" when none).
std::vector<std::string> process_id_messages();

}  // namespace bw
