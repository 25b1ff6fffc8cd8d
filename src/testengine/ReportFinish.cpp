#include "testengine/ReportFinish.h"

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"

namespace bw::testengine {

FinishedTest finish_main_test(const TestParameters& params, const TestSamples& samples,
                              const ReportFacts& facts) {
    FinishedTest done;
    // The testers see that the program has taken the results.
    for (int tester = 1; tester <= 3; ++tester)
        WriteINI(app().working_ini(), keys::hard_drive_test(tester), keys::kFinished, "2");
    done.report = BuildREPORT(params, samples, facts);
    done.files = write_result_files({app().program_folder, app().working_folder}, done.report);
    return done;
}

}  // namespace bw::testengine
