#pragma once
// Runs one program and streams its output as StreamEvent values: output lines, then one completion.

#include "platform/ProcessRunning.h"

#include <memory>

namespace qlan {

class ShellRunner {
public:
    explicit ShellRunner(std::shared_ptr<ProcessRunning> process) : process(std::move(process)) {}

    // Starts the program at once (inheriting the application's environment). A program that cannot be
    // started yields "Failed to start <path>: <reason>" and completed(-1). Never yields `canceled`.
    Stream<StreamEvent> stream(const QString& executable, const QStringList& arguments) const;

    std::shared_ptr<ProcessRunning> process;
};

} // namespace qlan
