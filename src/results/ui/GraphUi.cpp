#include "results/ui/GraphUi.h"

#include "core/AppState.h"
#include "results/ui/frmOverall.h"

namespace bw {

void register_graph_ui(UiRegistry& registry) {
    registry.add_window(kFrmOverall,
                        [](QWidget* parent) { frmOverall::Show(app().program_folder, parent); });
}

}  // namespace bw
