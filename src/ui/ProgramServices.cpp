#include "ui/ProgramServices.h"

namespace bw {

StartupServices program_services() {
    StartupServices s;
    return s;
}

}  // namespace bw
