#include "r5/consoletext.h"

namespace r5 {

// Terminals here take UTF-8 as the programs write it.
ConsoleText::ConsoleText() = default;
ConsoleText::~ConsoleText() = default;

} // namespace r5
