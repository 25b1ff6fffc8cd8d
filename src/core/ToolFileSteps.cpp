// The splash window's tool files as start-up steps.
#include "core/StartSteps.h"
#include "core/ToolFiles.h"

namespace bw {

void provide_tool_file_steps(StartSteps& steps) {
    steps.provide(StepId::License, [](StepContext&) { WriteLicense(); });
    steps.provide(StepId::TesterFile, [](StepContext&) { WriteLOADWorker(); });
}

}  // namespace bw
