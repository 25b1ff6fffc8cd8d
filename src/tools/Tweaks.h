#pragma once

// The tweaks page without its window: what each row reads at open, the save of the chosen states
// in the page's order, and the restore of what was found at open. A row whose Linux setting is
// on this machine works through its adapter; any other row (no Linux meaning, or nothing of it
// here: no SATA host, no indexer) keeps its values in the registry store and says it has no
// effect. Every write the system refuses is reported beside its row.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/mdlRegistry.h"
#include "platform/TweakSettings.h"
#include "tools/TweakRows.h"

namespace bw {

DriveMix drive_mix(const std::vector<std::string>& drive_list);
std::string_view drive_mix_text(DriveMix mix);

inline constexpr std::size_t kTweakRowCount = std::size(kTweakRows);
inline constexpr std::size_t kTweakListCount = std::size(kTweakLists);

// One row or list as the page shows it.
struct TweakShown {
    bool has_effect = false;  // false: kept in the registry store only
    std::string found;        // what the machine has ("/ relatime"), or why there is no effect
    std::string result;       // after a save or restore: what was done, or what was refused
    bool refused = false;     // some write of the last save or restore was refused
};

struct TweakRowShown : TweakShown {
    bool checked = false;
};
struct TweakListShown : TweakShown {
    std::optional<std::uint32_t> item;  // nullopt: the value is missing, the list stays empty
};

// One write of a save or restore, in the order they were made.
struct TweakWrite {
    std::string control;  // "OptionT(4)", "Combo1"
    std::string what;     // "NtfsMemoryUsage = 1", "/home relatime -> noatime"
    bool ok = false;
    std::string message;  // the system's refusal
};

struct TweakChoice {
    std::array<bool, kTweakRowCount> checked{};
    std::array<std::optional<std::uint32_t>, kTweakListCount> items{};
};

class TweaksPage {
  public:
    explicit TweaksPage(TweakMachine machine);
    ~TweaksPage();

    // Reads every row and list and keeps what it found, for restore().
    void open();

    const std::array<TweakRowShown, kTweakRowCount>& rows() const { return rows_; }
    const std::array<TweakListShown, kTweakListCount>& lists() const { return lists_; }
    // The states as read: what the window starts from.
    TweakChoice current() const;

    // Writes the rows in index order, then the two lists (a list without an item writes nothing),
    // then reads the machine again; a row that reads otherwise than chosen says so.
    std::vector<TweakWrite> save(const TweakChoice& choice);
    // Puts back what open() found.
    std::vector<TweakWrite> restore();

  private:
    struct Source;
    void read_all();
    void report(const std::vector<TweakWrite>& writes);

    TweakMachine machine_;
    std::vector<std::unique_ptr<Source>> sources_;  // rows, then lists
    std::array<TweakRowShown, kTweakRowCount> rows_{};
    std::array<TweakListShown, kTweakListCount> lists_{};
};

// The recommendation shown beside a row or list for the drive mix.
std::string_view recommended(const TweakRow& row, DriveMix mix);
std::string_view recommended(const TweakList& list, DriveMix mix);

}  // namespace bw
