#include "tester/PartCheck.h"

namespace bw::tester {

std::string refuse_part_target(const Part& part, const JobTargets& targets) {
    if (!targets.test_file.empty() && part.target == targets.test_file) return "";
    if (!targets.device.empty() && part.target == targets.device)
        return part.side == Side::Read
                   ? ""
                   : "A tester never writes a block device (" + part.target + ").";
    return "The step names " + part.target +
           ", which is neither the job's test file nor its drive; the tester refused it.";
}

std::string refuse_region(const Region& region, std::uint64_t size, std::string_view target) {
    // Written so that no sum can wrap around.
    if (region.offset <= size && region.length <= size - region.offset) return "";
    return "The step asks for bytes " + std::to_string(region.offset) + " to " +
           std::to_string(region.offset) + "+" + std::to_string(region.length) + " of " +
           std::string(target) + ", which holds only " + std::to_string(size) +
           " bytes; the tester refused it.";
}

}  // namespace bw::tester
