#include "core/AppState.h"

namespace bw {

AppState& app() {
    static AppState state;
    return state;
}

}  // namespace bw
