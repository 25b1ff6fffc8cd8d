#pragma once

// A counter scenario: the program-wide counter state starts empty, the counter layer reads a
// CounterMachine, time is a fake clock and questions are scripted.

#include <gtest/gtest.h>

#include "core/AppState.h"
#include "counters/CounterState.h"
#include "counters/counter_machine.h"
#include "platform/PdhQuery.h"
#include "support/fakes.h"

namespace bw::test {

class CountersScenario : public ::testing::Test {
  protected:
    CountersScenario() : use_clock_(clock_), use_prompt_(prompt_), saved_app_(app()) {
        ResetCounterState();
        app().computer_name = "BOX";
        app().processor_count = 2;
        app().program_folder = folder_.path();
        app().repair_state = 0;
        app().basic_only_mode = false;
        // sda: sda1 "/" = C:, sda2 "/data" = D:; sdb: "/backup" = E:.
        m_.add_disk("sda", "8:0", {"sda1", "sda2"});
        m_.add_disk("sdb", "8:16");
        m_.mount("8:1", "/");
        m_.mount("8:2", "/data");
        m_.mount("8:16", "/backup");
        m_.set_cpus({{0, 0, 0, 0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 0, 0, 0}});
    }
    ~CountersScenario() override {
        set_pdh(nullptr);
        ResetCounterState();
        app() = saved_app_;
    }
    // Builds the counter layer over the machine as it is now.
    PdhLibrary& library() {
        if (!lib_) {
            lib_ = std::make_unique<PdhLibrary>(m_.sysroot());
            lib_->set_computer_name("BOX");
            set_pdh(lib_.get());
        }
        return *lib_;
    }

    FakeClock clock_;
    UseClock use_clock_;
    ScriptedPrompt prompt_;
    UsePrompt use_prompt_;
    AppState saved_app_;
    TempDir folder_;
    CounterMachine m_;
    std::unique_ptr<PdhLibrary> lib_;
};

}  // namespace bw::test
