#pragma once

// The counter layer: queries, counters added by path, one collect per tick, values as doubles,
// and the instances of each object. Sources are the kernel's statistics files under the sysroot
// (PdhCounterDefs.h holds the formulas). Rates need two collects; the first reads 0.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PdhDiskMap.h"
#include "platform/PdhTypes.h"
#include "platform/sysroot.h"

namespace bw {

class PdhLibrary {
  public:
    explicit PdhLibrary(Sysroot root = Sysroot("/"));
    ~PdhLibrary();
    PdhLibrary(const PdhLibrary&) = delete;
    PdhLibrary& operator=(const PdhLibrary&) = delete;

    const Sysroot& sysroot() const;
    // The disks and volumes behind the disk instances. Built from the sysroot on first use unless
    // the inventory set one; counters added earlier keep the devices they resolved to.
    void set_disk_map(CounterDiskMap map);
    const CounterDiskMap& disk_map();
    // Paths may name this machine ("\\NAME\..."), ".", "localhost" or none. Default: host name.
    void set_computer_name(std::string name);
    const std::string& computer_name() const;

    PdhStatus OpenQuery(PdhHandle* query);
    // A counter of an instance that does not exist (now) is added and reads 0 with
    // kPdhNoInstance, as long as the object itself is usable.
    PdhStatus AddCounter(PdhHandle query, std::string_view path, PdhHandle* counter);
    PdhStatus CollectQueryData(PdhHandle query);
    // Seconds between the query's last two collects (0 before the second): a rate times this is
    // what moved in between.
    double CollectInterval(PdhHandle query) const;
    // Value from the last two collects. Percentages are held to 0..100 unless cap100 is false.
    // Never fails: anything wrong reads 0, with the reason in `status`.
    double GetDoubleCounterValue(PdhHandle counter, PdhStatus* status = nullptr,
                                 bool cap100 = true);
    // NUL-separated lists ending in an extra NUL, as the program's list walk expects.
    PdhStatus EnumObjectItems(std::string_view machine, std::string_view object,
                              std::string* counters, std::string* instances);
    PdhStatus CloseQuery(PdhHandle query);

    // Whole disks whose statistics the kernel no longer keeps (queue/iostats = 0 on a disk that
    // honours it). While there is one, the disk objects refuse new counters: their figures would
    // be silently 0.
    std::vector<std::string> FrozenDisks();
    // False for counters that exist for compatibility but have no Linux source (they read 0).
    static bool CounterHasSource(std::string_view object, std::string_view counter);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The program-wide library (live system). Tests install their own over a fixture sysroot.
PdhLibrary& pdh();
void set_pdh(PdhLibrary* library);  // nullptr restores the live one

}  // namespace bw
