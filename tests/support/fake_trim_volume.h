#pragma once

// A volume for the TRIM test that writes nothing: writes are counted per fill character and take
// the time their chosen speed says, the discard switch is a flag, and each switch notes what the
// crash record held at that moment.

#include <cerrno>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/SettingsKeys.h"
#include "core/private_profile.h"
#include "platform/TrimVolume.h"

namespace bw::test {

class FakeVolume : public TrimVolume {
  public:
    explicit FakeVolume(std::filesystem::path prefs) : prefs_(std::move(prefs)) {}

    std::uint64_t free_bytes() override { return free; }
    const std::filesystem::path& test_file() const override { return file_; }
    const std::string& mount_point() const override { return mount_; }
    bool test_file_exists() const override { return exists; }
    bool open(std::string* error) override {
        if (refuse_open) {
            *error = "cannot open";
            return false;
        }
        exists = true;
        return true;
    }
    WriteTiming write(char fill, std::size_t bytes) override {
        ++writes[fill];
        if (fail_after >= 0 && --fail_after < 0) return {0, 0, ENOSPC};
        return {bytes, static_cast<double>(bytes) / speed[fill], 0};
    }
    WriteTiming close() override { return {}; }
    void cut_to_one_byte() override {
        exists = true;
        events.push_back("cut");
    }
    void remove() override { exists = false; }
    DiscardState discard_state() override {
        DiscardState s;
        s.mounted = true;
        s.fstype = "ext4";
        s.discard = discard;
        s.cannot_switch = cannot_switch;
        return s;
    }
    MountResult set_discard(bool on) override {
        // The record must hold the state to put back before anything is switched.
        recorded_at_switch.push_back(
            profile::get_string(prefs_, keys::kTrimTest, keys::kTrimDiscardFound));
        events.push_back(on ? "discard" : "nodiscard");
        discard = on;
        return {true, std::string(discard_option(on))};
    }

    std::uint64_t free = 200'000'000;
    std::map<char, double> speed{{'X', 100e6}, {'Y', 95e6}, {'Z', 90e6}, {'B', 50e6}};
    std::map<char, long> writes;
    bool exists = false, discard = false, refuse_open = false;
    int fail_after = -1;
    std::string cannot_switch;
    std::vector<std::string> events, recorded_at_switch;

  private:
    std::filesystem::path prefs_;
    std::filesystem::path file_ = "/ssd/TestMy.SSD";
    std::string mount_ = "/ssd";
};

}  // namespace bw::test
