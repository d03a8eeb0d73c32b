#pragma once
// Every test of a program starts as a new run of the application, however many ran before it in the
// same process: the standard settings (the user defaults) are a fresh, empty folder, the telemetry's
// once-per-run "feedback card shown" flag is clear, the focus ring waits for the keyboard, and the
// current edition is the one the program began with. The test entries register this before running any test.

namespace qlan::test {

// Adds the GoogleTest listener that puts the process-wide state back before and after every test.
void startEveryTestAsANewRun();

} // namespace qlan::test
