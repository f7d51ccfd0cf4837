#include "r5setup/sidetools.h"

namespace r5setup::tools {

Platform hostPlatform()
{
    return Platform::Linux;
}

} // namespace r5setup::tools
