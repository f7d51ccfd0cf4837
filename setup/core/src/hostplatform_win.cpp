#include "r5setup/sidetools.h"

namespace r5setup::tools {

Platform hostPlatform()
{
    return Platform::Windows;
}

} // namespace r5setup::tools
