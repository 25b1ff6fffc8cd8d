#pragma once

// The exit status of every brantwell-cli verb. Scripts branch on these, so each means one thing
// whichever verb returns it; the README lists them.

namespace bw::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;      // the test failed or found a problem, or gave no result
inline constexpr int kExitUsage = 2;       // the command line is wrong (one line on stderr says how)
inline constexpr int kExitRefused = 3;     // needs root, or the system refused to open the device
inline constexpr int kExitNoDrive = 4;     // no such drive on this machine (or in the sysroot)
inline constexpr int kExitInterrupted = 130;  // Ctrl-C or SIGTERM, as a shell reports SIGINT

}  // namespace bw::cli
