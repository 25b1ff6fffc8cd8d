// The Cache and System objects: their counters exist for the windows that show them, but Linux
// has no source for them; they add, list, and read 0.
#include "platform/PdhQueryCore.h"

namespace bw::pdh_query {

namespace {

int row(std::string_view) {
    return -1;
}

void resolve(State&, CounterRec&, const PdhPath&, PdhNeeds&) {}

double value(const QueryRec&, const CounterRec&, PdhStatus&) {
    return 0;
}

PdhStatus enumerate(State&, PdhObject object, std::string& names, std::string&) {
    for (const auto& r : kSourcelessCounters)
        if (r.object == object) append_list(names, r.name);
    return kPdhOk;
}

}  // namespace

const ObjectOps kSourcelessOps = {row, resolve, value, enumerate, never, never, "", false};

}  // namespace bw::pdh_query
