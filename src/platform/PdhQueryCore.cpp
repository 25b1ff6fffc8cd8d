// What the counter objects share: the table that finds an object's part, and small text helpers.
#include "platform/PdhQueryCore.h"

#include <cctype>

namespace bw {

namespace pdh_query {

namespace {

struct ObjectOpsRow {
    PdhObject object;
    const ObjectOps* ops;
};
const ObjectOpsRow kObjectOps[] = {
    {PdhObject::Memory, &kMemoryOps},
    {PdhObject::PhysicalDisk, &kPhysicalDiskOps},
    {PdhObject::LogicalDisk, &kLogicalDiskOps},
    {PdhObject::Process, &kProcessOps},
    {PdhObject::ProcessorInformation, &kProcessorOps},
    {PdhObject::Processor, &kProcessorOps},
    {PdhObject::Cache, &kSourcelessOps},
    {PdhObject::System, &kSourcelessOps},
};

}  // namespace

const ObjectOps& ops_of(PdhObject object) {
    for (const auto& row : kObjectOps)
        if (row.object == object) return *row.ops;
    return kSourcelessOps;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool parse_int(std::string_view s, int* out) {
    if (s.empty() || s.size() > 6) return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    *out = v;
    return true;
}

void append_list(std::string& list, std::string_view name) {
    list += name;
    list += '\0';
}

}  // namespace pdh_query

}  // namespace bw
