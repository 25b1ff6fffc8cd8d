#include "tools/Tweaks.h"

#include <algorithm>

namespace bw {

namespace {

constexpr RegHive kHive = RegHive::HKEY_LOCAL_MACHINE;

bool has_text(const std::string& entry, std::string_view text) {
    return entry.find(text) != std::string::npos;
}

// The drive list's marker of the drive the system runs from: " {OS}" or " {OS-SWAP}".
constexpr std::string_view kSystemMarker = " {OS";

std::string row_control(int index) {
    return "OptionT(" + std::to_string(index) + ")";
}

std::string value_text(const TweakValue& v, std::uint32_t number) {
    return std::string(v.name) + " = " + std::to_string(number);
}

std::vector<TweakValue> values_of(const TweakRow& row) {
    std::vector<TweakValue> out;
    for (const auto& v : row.values)
        if (!v.name.empty()) out.push_back(v);
    return out;
}

}  // namespace

DriveMix drive_mix(const std::vector<std::string>& drive_list) {
    const auto ssd = [](const std::string& e) { return has_text(e, "SSD"); };
    const bool any_ssd = std::any_of(drive_list.begin(), drive_list.end(), ssd);
    const bool any_other = !std::all_of(drive_list.begin(), drive_list.end(), ssd);
    if (!any_ssd) return DriveMix::HardDriveOnly;
    if (!any_other) return DriveMix::SsdOnly;
    // Mixed: judged by the drive marked as the system's; without one, as a hard drive boot (the
    // cautious choice: it keeps link power management off).
    for (const auto& e : drive_list)
        if (has_text(e, kSystemMarker))
            return ssd(e) ? DriveMix::MixBootSsd : DriveMix::MixBootHardDrive;
    return DriveMix::MixBootHardDrive;
}

std::string_view drive_mix_text(DriveMix mix) {
    for (const auto& t : kDriveMixTexts)
        if (t.mix == mix) return t.text;
    return {};
}

std::string_view recommended(const TweakRow& row, DriveMix mix) {
    return row.recommended[static_cast<std::size_t>(mix)];
}

std::string_view recommended(const TweakList& list, DriveMix mix) {
    return kListItems[list.recommended[static_cast<std::size_t>(mix)]];
}

// Where a row's or list's state lives: its Linux adapter, or the registry store.
struct TweaksPage::Source {
    std::string control;
    std::vector<TweakValue> values;  // the registry values, the first one read
    std::optional<LinuxTweak> linux_setting;
    std::unique_ptr<TweakAdapter> adapter;  // null: the registry store
    TweakSnapshot adapter_found;
    std::vector<RegValue> store_found;  // per value
    bool captured = false;

    // The level the state stands for (1/0 for a box, the item for a list), nullopt when missing.
    std::optional<std::uint32_t> read_level(std::optional<std::uint32_t> also_checked, bool list,
                                            std::string* found) {
        if (adapter) {
            TweakReading r = adapter->read();
            *found = r.shown;
            if (r.level) return r.level;
            // The setting is not on this machine after all: the store keeps the row.
            adapter.reset();
            *found = "no effect on this machine: " + r.shown;
        }
        const RegValue v = QueryKeyValue(kHive, values[0].key, values[0].name);
        if (v.type != REG_DWORD) return std::nullopt;
        if (list) {
            if (v.number < std::size(kListItems)) return v.number;
            return std::nullopt;
        }
        return v.number == values[0].checked || (also_checked && v.number == *also_checked) ? 1u
                                                                                            : 0u;
    }

    void capture() {
        if (captured) return;
        captured = true;
        if (adapter) {
            adapter_found = adapter->capture();
            return;
        }
        for (const auto& v : values) store_found.push_back(QueryKeyValue(kHive, v.key, v.name));
    }

    void write_adapter(const std::vector<TweakChange>& changes,
                       std::vector<TweakWrite>& log) const {
        for (const auto& c : changes)
            log.push_back({control, c.ok ? c.object + " " + c.message : c.object, c.ok,
                           c.ok ? "" : c.message});
        if (changes.empty())
            log.push_back(
                {control, std::string(linux_tweak(*linux_setting).name) + " already so", true, {}});
    }

    void write_store(const TweakValue& v, const RegValue& value,
                     std::vector<TweakWrite>& log) const {
        const std::string what =
            value.empty() ? std::string(v.name) + " removed" : value_text(v, value.number);
        if (value.empty())
            DeleteKeyValue(kHive, v.key, v.name);
        else
            SetKeyValue(kHive, v.key, v.name, value);
        const RegValue back = QueryKeyValue(kHive, v.key, v.name);
        const bool ok = back.type == value.type && back.number == value.number;
        log.push_back(
            {control, what, ok,
             ok ? ""
                : "the registry store " + registry_store_path().string() + " was not written"});
    }

    void save(std::uint32_t level, const std::vector<std::uint32_t>& numbers,
              std::vector<TweakWrite>& log) {
        if (adapter) return write_adapter(adapter->write(level), log);
        for (std::size_t i = 0; i < values.size(); ++i)
            write_store(values[i], RegValue::dword(numbers[i]), log);
    }

    void restore(std::vector<TweakWrite>& log) {
        if (adapter) return write_adapter(adapter->put_back(adapter_found), log);
        for (std::size_t i = 0; i < values.size() && i < store_found.size(); ++i)
            write_store(values[i], store_found[i], log);
    }
};

TweaksPage::TweaksPage(TweakMachine machine) : machine_(std::move(machine)) {}
TweaksPage::~TweaksPage() = default;

void TweaksPage::open() {
    sources_.clear();
    const auto add = [&](std::string control, std::vector<TweakValue> values,
                         std::optional<LinuxTweak> setting) {
        auto s = std::make_unique<Source>();
        s->control = std::move(control);
        s->values = std::move(values);
        s->linux_setting = setting;
        if (setting) s->adapter = make_tweak_adapter(*setting, machine_);
        sources_.push_back(std::move(s));
    };
    for (const auto& row : kTweakRows)
        add(row_control(row.index), values_of(row), row.linux_setting);
    for (const auto& list : kTweakLists)
        add(std::string(list.control), {list.value}, list.linux_setting);
    read_all();
    for (auto& s : sources_) s->capture();
}

void TweaksPage::read_all() {
    for (std::size_t i = 0; i < kTweakRowCount; ++i) {
        auto& shown = rows_[i];
        const auto level = sources_[i]->read_level(kTweakRows[i].also_checked, false, &shown.found);
        shown.checked = level.value_or(0) != 0;
        shown.has_effect = sources_[i]->adapter != nullptr;
        if (!kTweakRows[i].linux_setting) shown.found = std::string(kNoEffectOnLinux);
    }
    for (std::size_t i = 0; i < kTweakListCount; ++i) {
        auto& shown = lists_[i];
        shown.item = sources_[kTweakRowCount + i]->read_level(std::nullopt, true, &shown.found);
        shown.has_effect = sources_[kTweakRowCount + i]->adapter != nullptr;
        if (!kTweakLists[i].linux_setting) shown.found = std::string(kNoEffectOnLinux);
    }
}

TweakChoice TweaksPage::current() const {
    TweakChoice c;
    for (std::size_t i = 0; i < kTweakRowCount; ++i) c.checked[i] = rows_[i].checked;
    for (std::size_t i = 0; i < kTweakListCount; ++i) c.items[i] = lists_[i].item;
    return c;
}

std::vector<TweakWrite> TweaksPage::save(const TweakChoice& choice) {
    std::vector<TweakWrite> log;
    for (std::size_t i = 0; i < kTweakRowCount; ++i) {
        const bool on = choice.checked[i];
        std::vector<std::uint32_t> numbers;
        for (const auto& v : sources_[i]->values) numbers.push_back(on ? v.checked : v.unchecked);
        sources_[i]->save(on ? 1 : 0, numbers, log);
    }
    for (std::size_t i = 0; i < kTweakListCount; ++i) {
        Source& s = *sources_[kTweakRowCount + i];
        if (!choice.items[i]) {
            log.push_back({s.control,
                           std::string(s.values[0].name) + ": no item chosen, nothing written",
                           true,
                           {}});
            continue;
        }
        s.save(*choice.items[i], {*choice.items[i]}, log);
    }
    read_all();
    report(log);
    for (std::size_t i = 0; i < kTweakRowCount; ++i) {
        if (rows_[i].checked == choice.checked[i]) continue;
        rows_[i].refused = true;
        rows_[i].result += std::string(rows_[i].result.empty() ? "" : "; ") + "the system reads " +
                           (rows_[i].checked ? "checked" : "unchecked") + " after the save";
    }
    return log;
}

std::vector<TweakWrite> TweaksPage::restore() {
    std::vector<TweakWrite> log;
    for (auto& s : sources_) s->restore(log);
    read_all();
    report(log);
    return log;
}

void TweaksPage::report(const std::vector<TweakWrite>& writes) {
    const auto fill = [&](TweakShown& shown, const std::string& control) {
        shown.result.clear();
        shown.refused = false;
        for (const auto& w : writes) {
            if (w.control != control) continue;
            if (!shown.result.empty()) shown.result += "; ";
            shown.result += w.ok ? w.what : "refused: " + w.what + ": " + w.message;
            shown.refused = shown.refused || !w.ok;
        }
    };
    for (std::size_t i = 0; i < kTweakRowCount; ++i) fill(rows_[i], sources_[i]->control);
    for (std::size_t i = 0; i < kTweakListCount; ++i)
        fill(lists_[i], sources_[kTweakRowCount + i]->control);
}

}  // namespace bw
