#pragma once
// Every fix the guided setup can carry out. The catalogue decides which fixes a stage offers, the flow
// shows each as a button with a caption and runs the chosen ones, the remediation engine carries each
// out as its case and payload say, and telemetry reports it by its stable id and its method word. The texts
// of each kind are one row of the table in SetupRemediation.cpp; its job is one row of the table in
// remediation/SetupRemediationRunner.cpp.

#include "catalog/AgentSkill.h"
#include "catalog/MCPServer.h"
#include "catalog/ProjectTemplate.h"
#include "catalog/SetupWorkflow.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <variant>

namespace qlan {

class SetupRemediation {
public:
    // The 26 cases; the five with a payload come first.
    enum class Kind {
        repairPath,
        createProject,
        installSkill,
        addMCPServer,
        configureGit,
        installCommandLineTools,
        installHomebrew,
        installClaudeCLI,
        repairHomebrewPath,
        installWarp,
        installClaudeDesktop,
        installZed,
        installVSCode,
        installCodexCLI,
        installCodexDesktop,
        configureShell,
        installUv,
        installMise,
        installNodeViaMise,
        installRubyViaMise,
        installRustViaMise,
        installRustup,
        installTemurin,
        documentEnvironment,
        installGh,
        githubAuth,
    };
    static constexpr std::size_t kindCount = static_cast<std::size_t>(Kind::githubAuth) + 1;

    // The payloads.
    struct RepairPath {
        QString directory;
        friend bool operator==(const RepairPath&, const RepairPath&) = default;
    };
    struct CreateProject {
        ProjectTemplate projectTemplate = ProjectTemplate::simple;
        std::optional<QString> destinationPath; // absent: ~/Documents
        friend bool operator==(const CreateProject&, const CreateProject&) = default;
    };
    struct InstallSkill {
        AgentSkill skill;
        friend bool operator==(const InstallSkill&, const InstallSkill&) = default;
    };
    struct AddMCPServer {
        MCPServer server;
        std::optional<QString> apiKey;
        friend bool operator==(const AddMCPServer&, const AddMCPServer&) = default;
    };
    struct ConfigureGit {
        QString name;
        QString email;
        friend bool operator==(const ConfigureGit&, const ConfigureGit&) = default;
    };
    using Payload =
        std::variant<std::monostate, RepairPath, CreateProject, InstallSkill, AddMCPServer, ConfigureGit>;

    static SetupRemediation repairPath(QString directory);
    static SetupRemediation createProject(ProjectTemplate projectTemplate,
                                          std::optional<QString> destinationPath = std::nullopt);
    static SetupRemediation installSkill(AgentSkill skill);
    static SetupRemediation addMCPServer(MCPServer server, std::optional<QString> apiKey = std::nullopt);
    static SetupRemediation configureGit(QString name, QString email);
    static SetupRemediation installCommandLineTools() {
        return SetupRemediation(Kind::installCommandLineTools);
    }
    static SetupRemediation installHomebrew() { return SetupRemediation(Kind::installHomebrew); }
    static SetupRemediation installClaudeCLI() { return SetupRemediation(Kind::installClaudeCLI); }
    static SetupRemediation repairHomebrewPath() { return SetupRemediation(Kind::repairHomebrewPath); }
    static SetupRemediation installWarp() { return SetupRemediation(Kind::installWarp); }
    static SetupRemediation installClaudeDesktop() { return SetupRemediation(Kind::installClaudeDesktop); }
    static SetupRemediation installZed() { return SetupRemediation(Kind::installZed); }
    static SetupRemediation installVSCode() { return SetupRemediation(Kind::installVSCode); }
    static SetupRemediation installCodexCLI() { return SetupRemediation(Kind::installCodexCLI); }
    static SetupRemediation installCodexDesktop() { return SetupRemediation(Kind::installCodexDesktop); }
    static SetupRemediation configureShell() { return SetupRemediation(Kind::configureShell); }
    static SetupRemediation installUv() { return SetupRemediation(Kind::installUv); }
    static SetupRemediation installMise() { return SetupRemediation(Kind::installMise); }
    static SetupRemediation installNodeViaMise() { return SetupRemediation(Kind::installNodeViaMise); }
    static SetupRemediation installRubyViaMise() { return SetupRemediation(Kind::installRubyViaMise); }
    static SetupRemediation installRustViaMise() { return SetupRemediation(Kind::installRustViaMise); }
    static SetupRemediation installRustup() { return SetupRemediation(Kind::installRustup); }
    static SetupRemediation installTemurin() { return SetupRemediation(Kind::installTemurin); }
    static SetupRemediation documentEnvironment() { return SetupRemediation(Kind::documentEnvironment); }
    static SetupRemediation installGh() { return SetupRemediation(Kind::installGh); }
    static SetupRemediation githubAuth() { return SetupRemediation(Kind::githubAuth); }

    Kind kind() const { return kind_; }
    const Payload& payload() const { return payload_; }
    // The payload of the case, or null for any other case.
    template <typename P> const P* payloadAs() const { return std::get_if<P>(&payload_); }

    // The stable identifier: a method word, a colon and an argument where the fix has one, else a word.
    QString id() const;
    // The button label.
    QString displayLabel() const;
    // The explanation under the button; may be empty.
    QString caption() const;
    // The method word sent with "remediation_applied".
    QString telemetryMethod() const;
    // The check the flow applies after the action made from this remediation has run.
    VerifyPolicy verifyPolicy() const;
    // The stage action that offers this remediation.
    SetupAction setupAction() const;

    // Same case and equal payloads (the whole skill or server record, optional fields absent-equals-absent).
    friend bool operator==(const SetupRemediation&, const SetupRemediation&) = default;

private:
    explicit SetupRemediation(Kind kind, Payload payload = {})
        : kind_(kind)
        , payload_(std::move(payload)) {}

    Kind kind_;
    Payload payload_;
};

} // namespace qlan
