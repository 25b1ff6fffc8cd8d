#pragma once

// One tester process. The first tester (LOADWorker.exe) takes the job the program writes into
// [Hard Drive Test 1], lays out the test file, and runs the plan step by step: for each step it
// hands the second and third testers their part through [Hard Drive Test 2] and
// [Hard Drive Test 3] (target, region, block, and a deadline on the shared monotonic clock, so
// all stop together), reports the step in [Tester Function], does its own part, and waits for
// the others to report the step done. At the end it removes the test file and sets "Finished".
// The second and third testers only ever run the parts they are handed.

#include <filesystem>

namespace bw::tester {

// Runs until the program ends, "Run Status" becomes "2" or a stop signal arrives. Returns the
// process exit status.
int run_tester(int number, const std::filesystem::path& working_folder);

}  // namespace bw::tester
