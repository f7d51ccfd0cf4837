#pragma once

// `r5200tx-cli report`: reads the record and the site check, writes the handover report, and
// returns the exit code. It makes its own application object (one that paints the PDF's text),
// so main() hands it the arguments before making one.
namespace r5cli {

int runReport(int argc, char *argv[]);

} // namespace r5cli
