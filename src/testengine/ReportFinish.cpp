#include "testengine/ReportFinish.h"

#include "core/AppState.h"

namespace bw::testengine {

FinishedTest finish_main_test(const TestParameters& params, const TestSamples& samples) {
    FinishedTest done;
    const ReportFacts facts = gather_report_facts(params, system_query(), local_time_now());
    done.report = BuildREPORT(params, samples, facts);
    done.files = write_result_files({app().program_folder, app().working_folder}, done.report);
    return done;
}

}  // namespace bw::testengine
