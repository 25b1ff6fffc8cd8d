#pragma once

// Where a tester's job reads and writes: the test file's name and size, and the volume of a drive
// letter when the program's job did not name one. Opening, alignment and the test file's life
// are the platform's direct-I/O layer (platform/DirectIo.h).

#include <cstdint>
#include <string>
#include <string_view>

#include "core/TesterProtocol.h"
#include "platform/DirectIo.h"

namespace bw::tester {

inline constexpr std::string_view kTestFileName = "TestB.tmp";

// Where a drive letter's test files go and which device it reads, when the program's job did not
// say: "C" is the volume that holds "/". Empty with a reason for any other letter, or when the
// system does not say what holds "/".
std::string fallback_folder(char drive, std::string* error);
std::string fallback_device(char drive, std::string* error);

// The job's folder for test files and the device it reads: what the program's job names, else
// the drive's fallback above. The first tester makes and reads these; a helper accepts no other.
std::string job_folder(const TesterJob& job, std::string* error);
std::string job_device(const TesterJob& job, std::string* error);
// The job's test file ("" when the job has no folder).
std::string job_test_file(const TesterJob& job);

// The size of the test file for a job: "File Size" MB when given, else a default that fits the
// free space. 0 with a reason when the volume has no room for a useful file.
std::uint64_t test_file_size(const TesterJob& job, std::uint64_t free, std::string* error);

}  // namespace bw::tester
