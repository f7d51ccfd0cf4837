#include "r5setup/linkstate.h"

namespace r5setup {

EnableRow enableRow(LinkState state)
{
    switch (state) {
    case LinkState::Disconnected:
        return {true, false, true, true, false};
    case LinkState::Connecting:
        return {true, false, true, false, false};
    case LinkState::Connected:
        return {false, true, false, false, true};
    case LinkState::Waiting:
        return {false, true, false, false, false};
    }
    return {true, false, true, true, false};
}

} // namespace r5setup
