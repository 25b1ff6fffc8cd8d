#pragma once

// A mount runner that changes nothing: it records each call and answers with an errno of the
// test's choosing (0 = done), for unmounts separately where a test needs them to fail alone.

#include <vector>

#include "platform/Mounts.h"

namespace bw::test {

class RecordingMountRunner : public MountRunner {
  public:
    int run(const MountCall& call) override {
        calls.push_back(call);
        if (call.op == MountCall::Op::Unmount && unmount_answer != 0) return unmount_answer;
        return answer;
    }
    bool acts_on_machine() const override { return false; }
    std::vector<MountCall> calls;
    int answer = 0;          // every call
    int unmount_answer = 0;  // unmounts, when not 0
};

}  // namespace bw::test
