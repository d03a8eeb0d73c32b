#pragma once
// The shell script that saves the user's Git identity and the two defaults every new repository gets.

#include <QString>

namespace qlan::GitConfigScript {

// "git config --global user.name '<name>' && git config --global user.email '<email>' &&
//  git config --global init.defaultBranch main && git config --global push.autoSetupRemote true",
// each value one single-quoted word, stored literally whatever it holds.
QString build(const QString& name, const QString& email);

} // namespace qlan::GitConfigScript
