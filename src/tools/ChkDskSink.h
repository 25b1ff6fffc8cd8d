#pragma once

// The callback interface of the disk check: the window (or the command-line front end) implements
// it and modChkDsk calls it while the check runs. Setting bCancel in Progress or Status asks the
// check to stop.

#include <cstdint>
#include <string>

namespace bw {

class IChkDskSink {
  public:
    virtual ~IChkDskSink() = default;
    // The check has finished; called once per check that was started. bError: it did not come to
    // a result (failed, cancelled, or could not run).
    virtual void Done(bool& bError) = 0;
    // Percentage done; it only grows during one check.
    virtual void Progress(std::int32_t lNewValue, bool& bCancel) = 0;
    // One piece of the check's text output: whole lines, each ending in "\n".
    virtual void Status(std::string sValue, bool& bCancel) = 0;
};

}  // namespace bw
