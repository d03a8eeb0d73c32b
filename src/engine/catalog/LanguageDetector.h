#pragma once
// Looks in well-known places for existing installs and version managers of a language, so that the
// languages picker can say what is already there. Touches only the file system; never fails.

#include "catalog/QLANLanguage.h"
#include "platform/FileSystemOperating.h"

#include <QString>

#include <memory>
#include <optional>

namespace qlan {

struct LanguageDetector {
    // What the detector found for one language.
    struct Finding {
        enum class Kind {
            ours,          // installed the way this system installs it; `name` is the tool
            managedBy,     // managed by another version manager; `name` is the manager
            notFound,      // nothing found
            systemInstall, // only a system or Homebrew copy
        };
        Kind kind = Kind::notFound;
        QString name; // for `ours` and `managedBy` only

        static Finding ours(QString tool) { return {Kind::ours, std::move(tool)}; }
        static Finding managedBy(QString manager) { return {Kind::managedBy, std::move(manager)}; }
        static Finding notFound() { return {Kind::notFound, {}}; }
        static Finding systemInstall() { return {Kind::systemInstall, {}}; }

        friend bool operator==(const Finding& a, const Finding& b) {
            const bool named = a.kind == Kind::ours || a.kind == Kind::managedBy;
            return a.kind == b.kind && (!named || a.name == b.name);
        }
    };

    std::shared_ptr<FileSystemOperating> fs;

    // Runs the language's checks in order and answers with the first that holds.
    Finding detect(QLANLanguage language) const;

    // The caption the picker shows under a language; absent for `notFound`.
    static std::optional<QString> statusText(const Finding& finding);
};

} // namespace qlan
