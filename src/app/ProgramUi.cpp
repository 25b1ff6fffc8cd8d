#include "app/ProgramUi.h"

#include "core/ui/CoreUi.h"
#include "counters/ui/frmRepair.h"
#include "standalone/ui/BasicTestUi.h"

namespace bw {

void register_program_ui(UiRegistry& registry) {
    register_core_ui(registry);
    register_counters_ui(registry);
    register_basic_test_ui(registry);
}

}  // namespace bw
