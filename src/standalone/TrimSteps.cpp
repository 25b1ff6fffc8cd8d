#include "standalone/TrimSteps.h"

#include "core/AppState.h"
#include "core/StartSteps.h"
#include "platform/prompt.h"
#include "standalone/TrimFigures.h"
#include "standalone/TrimRecord.h"
#include "standalone/TrimSwitchValue.h"

namespace bw {

TrimTarget ResolveTrimTarget(const SystemQuery& query, const VolumeMap& map, char letter,
                             const std::vector<std::string>& candidates) {
    TrimTarget t;
    t.letter = letter;
    const Volume* v = map.find(letter);
    if (!v || v->mount_point.empty()) {
        t.reason = std::string(1, letter) + ": is not a mounted volume.";
        return t;
    }
    t.mount_point = v->mount_point;
    const auto folder = LetterTestFolder(query, map, letter, candidates, &t.reason);
    if (!folder.empty()) t.test_file = folder / std::string(kTrimTestFileName);
    return t;
}

TrimTarget ResolveTrimTarget(char letter) {
    const AppState& a = app();
    return ResolveTrimTarget(system_query(), volume_map(), letter,
                             {a.program_folder.string(), a.working_folder.string()});
}

std::unique_ptr<TrimVolume> TrimVolumeFor(const TrimTarget& target) {
    return live_trim_volume(app().working_folder, target.test_file, target.mount_point);
}

std::vector<std::string> RestoreTrimOnThisMachine() {
    DiscardSwitch sw(Sysroot("/"), live_mount_runner());
    return RestoreAfterTrimTest(app().prefs_ini(), sw, app().working_folder);
}

void provide_trim_steps(StartSteps& steps) {
    steps.provide(StepId::TrimRestore, [](StepContext&) {
        // Before the load's TRIM advice reads the machine's delete-notification value.
        register_discard_notify_value();
        for (const auto& said : RestoreTrimOnThisMachine())
            MsgBox(said, PromptIcon::Exclamation, "TRIM Test");
    });
}

}  // namespace bw
