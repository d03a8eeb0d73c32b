#pragma once
// Agent skills: instruction folders that the user's AI agents load. Identified by `slug`.

#include <QList>
#include <QString>
#include <QUrl>

#include <variant>

namespace qlan {

struct AgentSkill {
    // A skill folder of that name in the "skills" folder of the application's resources.
    struct Bundle {
        QString name;
        friend bool operator==(const Bundle&, const Bundle&) = default;
    };
    // A skill taken from a public repository on the code host at a fixed commit.
    struct Fetch {
        QString repo;    // owner/name
        QString subpath; // the skill's folder inside the repository
        QString pin;     // the commit to check out

        // The repository's HTTPS address on the code host.
        QUrl repositoryURL() const;
        friend bool operator==(const Fetch&, const Fetch&) = default;
    };
    using Source = std::variant<Bundle, Fetch>;

    QString slug;        // the tail of its remediation id ("skill:" + slug)
    QString displayName; // used by its remediation's label and caption
    QString badge;       // short description; ends its remediation's caption
    Source source;
    bool preselected = false;   // ticked by default in the skills picker
    bool developerOnly = false; // offered only on a Mac that already shows developer tooling

    // The built-in skills, in display order.
    static const QList<AgentSkill>& builtIn();
    // The built-in skills without the developer-only ones unless `includeDeveloperOnly`.
    static QList<AgentSkill> available(bool includeDeveloperOnly);

    friend bool operator==(const AgentSkill&, const AgentSkill&) = default;
};

} // namespace qlan
