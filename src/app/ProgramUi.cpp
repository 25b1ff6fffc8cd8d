#include "app/ProgramUi.h"

#include "core/ui/CoreUi.h"
#include "counters/ui/frmRepair.h"
#include "testengine/ui/TestForm.h"

namespace bw {

void register_program_ui(UiRegistry& registry) {
    register_core_ui(registry);
    register_counters_ui(registry);
    register_testengine_ui(registry);
}

}  // namespace bw
