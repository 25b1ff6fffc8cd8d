#include "counters/CounterState.h"

#include <algorithm>

#include "core/AppState.h"
#include "counters/CounterAdd.h"
#include "counters/Counters.h"
#include "platform/PdhQuery.h"
#include "platform/clock.h"

namespace bw {

CounterState& counters() {
    static CounterState state;
    return state;
}

void ResetCounterState() {
    counters() = CounterState{};
}

std::string CounterPath(std::string_view object_path) {
    CounterState& s = counters();
    if (s.MachinePrefix.empty()) {
        // The program's computer name is the one its paths carry; the layer answers to it.
        if (!app().computer_name.empty() && app().computer_name != pdh().computer_name())
            pdh().set_computer_name(app().computer_name);
        s.MachinePrefix = "\\\\" + pdh().computer_name();
    }
    return s.MachinePrefix + std::string(object_path);
}

double CounterValue(PdhHandle counter) {
    if (counter == 0) return 0;
    return pdh().GetDoubleCounterValue(counter);
}

void CollectCounters() {
    pdh().CollectQueryData(counters().SharedQuery);
}

void CloseCounterQuery() {
    CounterState& s = counters();
    for (PdhHandle q : s.superseded_queries) pdh().CloseQuery(q);
    s.superseded_queries.clear();
    if (s.SharedQuery) pdh().CloseQuery(s.SharedQuery);
    s.SharedQuery = 0;
}

PdhStatus EnumObjectItems(std::string_view machine, std::string_view object,
                          std::string& counter_list, std::string& instance_list) {
    std::string c, i;
    const PdhStatus status = pdh().EnumObjectItems(machine, object, &c, &i);
    if (status == kPdhOk) {
        counter_list = std::move(c);
        instance_list = std::move(i);
    }
    return status;
}

namespace counter_detail {

void open_shared_query() {
    CounterState& s = counters();
    if (s.SharedQuery) s.superseded_queries.push_back(s.SharedQuery);
    PdhHandle q = 0;
    pdh().OpenQuery(&q);  // a failure leaves 0: every add then fails and the probes read 0
    s.SharedQuery = q;
}

PdhHandle add_counter(std::string_view object_path) {
    PdhHandle h = 0;
    if (pdh().AddCounter(counters().SharedQuery, CounterPath(object_path), &h) != kPdhOk) h = 0;
    clock().do_events();
    return h;
}

std::vector<std::string> list_instances(std::string_view object, std::size_t min_length,
                                        std::size_t exact_length) {
    std::vector<std::string> list;
    std::string names, instances;
    const std::string machine = CounterPath("").substr(2);
    if (EnumObjectItems(machine, object, names, instances) != kPdhOk) return list;
    // Split at the NULs; the piece behind the final separator is not visited.
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t i = 0; i <= instances.size(); ++i) {
        if (i == instances.size() || instances[i] == '\0') {
            pieces.push_back(instances.substr(start, i - start));
            start = i + 1;
        }
    }
    for (size_t i = 0; i + 1 < pieces.size(); ++i) {
        const std::string& piece = pieces[i];
        if (piece.empty() || piece.front() == '_') continue;
        if (exact_length ? piece.size() != exact_length : piece.size() < min_length) continue;
        const size_t first = piece.find_first_not_of(' ');
        const size_t last = piece.find_last_not_of(' ');
        const std::string trimmed =
            first == std::string::npos ? "" : piece.substr(first, last - first + 1);
        if (std::find(list.begin(), list.end(), trimmed) == list.end()) list.push_back(trimmed);
    }
    return list;
}

}  // namespace counter_detail
}  // namespace bw
