#pragma once
// How the action sheet of the guided setup reports the end of one batch of fixes; the flow model
// decides from it whether the stage on screen is left.

namespace qlan {

enum class SetupActionOutcome { success, failure, canceled };

} // namespace qlan
