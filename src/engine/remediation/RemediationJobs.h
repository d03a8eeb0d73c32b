#pragma once
// The remediation jobs, one function per job, grouped by the file that defines them: those of the
// guided setup (SetupRemediationRunner::run picks one) and those of the Java diagnosis (the streaming
// remediation screen picks one). Each takes a copy of what it needs from the runner, starts as a file
// job or a task job on a thread of its own (SetupRemediationRunner::fileJob / ::task) and returns the
// job's stream.

#include "remediation/PKGInstaller.h"
#include "remediation/SetupRemediationRunner.h"

#include <cstdint>
#include <optional>
#include <stop_token>

namespace qlan::jobs {

using Runner = SetupRemediationRunner;
using Events = SetupRemediationRunner::Events;
using Output = SetupRemediationRunner::Output;

// ShellJobs.cpp: edits of the shell startup files and the agents' instruction files (file jobs).
Events repairPath(const Runner& runner, const QString& directory);
Events repairHomebrewPath(const Runner& runner);
Events configureShell(const Runner& runner);
Events documentEnvironment(const Runner& runner);

// BrewJobs.cpp: Homebrew itself and the cask-based jobs (task jobs; a cask job without `brewPath`
// finishes at once with SetupRemediationRunner::homebrewMissing()).
Events installHomebrew(const Runner& runner);
// The six application casks: "warp", "claude", "zed", "visual-studio-code", "codex", "codex-app".
Events installAppCask(const Runner& runner, const QString& cask, const QString& reason);
Events installClaudeCLI(const Runner& runner, const QString& reason);
Events installTemurin(const Runner& runner, const QString& reason);
// Homebrew's install script with the password dialog, relayed into `out`; returns its terminal event.
StreamEvent installHomebrewStep(const Runner& runner, const Output& out, std::stop_token stop);
// `brew install --cask` through the brew at `brew` (with the Temurin JDK's recovery when `temurin`),
// relayed into `out`; returns its terminal event.
StreamEvent installCaskStep(const Runner& runner, const QString& brew, const QString& cask,
                            const QString& reason, bool temurin, const Output& out, std::stop_token stop);
// Installs one formula through `brew`, relaying its output. The exit status; -1 after
// SetupRemediationRunner::homebrewMissingLine when `brewPath` is absent; none when cancelled.
std::optional<std::int32_t> installFormulaStep(const Runner& runner, const QString& formula,
                                               const Output& out, std::stop_token stop);

// InstallJobs.cpp: Command Line Tools, uv, mise and its languages, rustup (task jobs).
Events installCommandLineTools(const Runner& runner);
Events installUv(const Runner& runner);
Events installMise(const Runner& runner);
Events installNodeViaMise(const Runner& runner);
Events installRubyViaMise(const Runner& runner);
Events installRustViaMise(const Runner& runner);
Events installRustup(const Runner& runner);

// ConfigurationJobs.cpp: projects, skills, MCP servers, Git and GitHub. A project or a bundled skill is
// a file job; a fetched skill, an MCP server, Git, gh and the GitHub sign-in are task jobs.
Events createProject(const Runner& runner, const SetupRemediation::CreateProject& project);
Events installSkill(const Runner& runner, const AgentSkill& skill);
Events addMCPServer(const Runner& runner, const SetupRemediation::AddMCPServer& server);
Events configureGit(const Runner& runner, const SetupRemediation::ConfigureGit& identity);
Events installGh(const Runner& runner);
Events githubAuth(const Runner& runner);
// True when "/opt/homebrew/bin/<tool>" or "/usr/local/bin/<tool>" exists, else when the login shell knows
// it (probing::programLookupCommand exits with 0; false when it cannot start or is stopped).
bool isToolInstalled(const Runner& runner, const QString& tool, std::stop_token stop);
// The template's folder inside the application's "example-projects" resources; none when missing.
std::optional<QString> templateResourceURL(const Runner& runner, ProjectTemplate projectTemplate);
// The skill folder `name` inside the application's "skills" resources; none when missing.
std::optional<QString> skillResourceURL(const Runner& runner, const QString& name);

// JavaJobs.cpp: the fixes of the Java diagnosis that run as task jobs (every kind but the two ~/.zprofile
// ones). Each looks for the tools it needs when it runs, so the cask of a chain finds the brew that the
// chain's first phase installed. `runner.brewPath` is not read.
// A cask through the first brew found: "Homebrew not found in /opt/homebrew/bin or /usr/local/bin."
// and completed(-1) without one.
Events installJavaCask(const Runner& runner, const QString& cask, const QString& reason);
// "Running: <shown command>", then the `sdk` command with SDKMAN loaded; completed(-1) after a line
// when ~/.sdkman/bin/sdkman-init.sh is missing.
Events runSDKMANCommand(const Runner& runner, const QString& shownCommand, const QString& arguments);
// "mise install java@<version> && mise use -g java@<version>", or only the `use` when not `install`.
Events useJavaViaMise(const Runner& runner, const QString& version, bool install);
// The vendor's package of the feature version; with `thenJEnv`, the JDK it put in place is then found
// and registered with jEnv.
Events installJavaPackage(const Runner& runner, int featureVersion, const QString& prompt, bool thenJEnv);
// Registers the JDK at `jdkPath` with jEnv and makes it the global default.
Events registerJavaWithJEnv(const Runner& runner, const QString& jdkPath, int majorVersion);
// "Running: <the install command>", then Homebrew's install; with a cask, on success the cask follows
// after an empty line and `phaseLine`.
Events installHomebrewForJava(const Runner& runner, const std::optional<QString>& cask = std::nullopt,
                              const QString& reason = {}, const QString& phaseLine = {});
// The line a package-installer event adds to the output, if any.
std::optional<QString> pkgEventLine(const PKGInstaller::Event& event, int featureVersion);

} // namespace qlan::jobs
