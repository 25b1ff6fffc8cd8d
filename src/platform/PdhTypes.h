#pragma once

// Handles and status codes of the counter layer. The layer keeps the shape of the Windows
// performance-data interface that the rest of the program was designed around (a query, counters
// added by path, one collect per tick, double values), so the codes keep their customary values:
// they show up in the command-line front end and in diagnostics.

#include <cstdint>
#include <string_view>

namespace bw {

using PdhHandle = std::uint32_t;  // 0 = no query / no counter
using PdhStatus = std::uint32_t;  // 0 = success

inline constexpr PdhStatus kPdhOk = 0;
inline constexpr PdhStatus kPdhNoMachine = 0x800007D0;       // machine name is not this host
inline constexpr PdhStatus kPdhNoInstance = 0x800007D1;      // instance not present (now)
inline constexpr PdhStatus kPdhNoData = 0x800007D5;          // nothing collected yet
inline constexpr PdhStatus kPdhNoObject = 0xC0000BB8;        // object unknown or unusable
inline constexpr PdhStatus kPdhNoCounter = 0xC0000BB9;       // counter name unknown
inline constexpr PdhStatus kPdhInvalidData = 0xC0000BBA;     // rate with only one sample
inline constexpr PdhStatus kPdhInvalidHandle = 0xC0000BBC;   // handle of nothing open
inline constexpr PdhStatus kPdhInvalidPath = 0xC0000BBD;     // path does not parse
inline constexpr PdhStatus kPdhBadCounterName = 0xC0000BC0;  // counter part missing
inline constexpr PdhStatus kPdhNoSource = 0xC0000BC5;        // /proc or /sys not readable
inline constexpr PdhStatus kPdhCountersFrozen = 0xC0000BC7;  // a disk's statistics are switched off

// Readable words for a status ("no such instance"), for messages.
std::string_view pdh_status_text(PdhStatus status);

}  // namespace bw
