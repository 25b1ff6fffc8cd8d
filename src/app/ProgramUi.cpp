#include "app/ProgramUi.h"

#include "core/ui/CoreUi.h"
#include "counters/ui/frmRepair.h"
#include "results/ui/frmCompare.h"
#include "results/ui/GraphUi.h"
#include "standalone/ui/BasicTestUi.h"
#include "standalone/ui/TrimUi.h"
#include "testengine/ui/TestForm.h"
#include "tools/ui/MonitorUi.h"
#include "tools/ui/TweaksUi.h"
#include "tools/ui/frmChkDSK.h"

namespace bw {

void register_program_ui(UiRegistry& registry) {
    register_core_ui(registry);
    register_counters_ui(registry);
    register_monitor_ui(registry);
    register_chkdsk_ui(registry);
    register_testengine_ui(registry);
    register_tweaks_ui(registry);
    register_trim_ui(registry);
    register_basic_test_ui(registry);
    register_compare_ui(registry);
    register_graph_ui(registry);
}

}  // namespace bw
