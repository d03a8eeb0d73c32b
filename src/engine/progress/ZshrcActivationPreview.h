#pragma once
// The ~/.zshrc proposal that ends a mise or jEnv remediation: the activation lines that interactive
// shells still need, shown as a preview (marker line first, backup beside the file) that the user
// applies or skips. Apply and skip each add one line to the screen's output through `lineAppended`.
//
// A ~/.zshrc that exists but is not UTF-8 text is never rewritten from an empty reading: the preview
// then reports "Couldn't read ~/.zshrc: …" in `error` and as an output line, and proposes nothing. Apply
// looks at the file again under the same hold of its edit lock as the write (applyUnlessChanged): when it
// changed since the preview (also by the program that apply waited for), nothing is written and the
// proposal is remade from the file as it is now.
//
// Apply runs on a job thread of its own (runEditOffThread), never on the GUI thread: while it waits for
// another program's hold on ~/.zshrc, an output line says so, and Skip (or the end of the screen) ends
// that wait at once, writing nothing.

#include "platform/FileSystemOperating.h"
#include "progress/DiffRows.h"
#include "remediation/FileAppendWriter.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>
#include <stop_token>

namespace qlan {

enum class ShellActivationManager { mise, jenv };

class ZshrcActivationPreview : public QObject {
    Q_OBJECT
public:
    explicit ZshrcActivationPreview(std::shared_ptr<FileSystemOperating> fs, QObject* parent = nullptr);
    ~ZshrcActivationPreview() override;

    // The lines a manager still needs in a ~/.zshrc with this text. An active line is one that, trimmed,
    // is not a "#" comment. mise: `eval "$(mise activate zsh)"` unless an active line contains
    // "mise activate". jEnv: the PATH line unless an active line contains ".jenv/bin", then the init
    // line unless one contains "jenv init".
    static QStringList activationLines(ShellActivationManager manager, const QString& zshrcText);
    // "Mise activation" or "jEnv init".
    static QString blockTitle(ShellActivationManager manager);

    // The home folder's ".zshrc".
    QString zshrcPath() const;

    // Makes the proposal of these lines under this title; nothing when `lines` is empty.
    void prepare(const QStringList& lines, const QString& title);
    // Reads ~/.zshrc (missing or unreadable: no active lines) and prepares what the manager needs.
    void prepare(ShellActivationManager manager);

    // Writes the pending proposal with its backup ("Apply ~/.zshrc change"); the result arrives later,
    // through `changed`.
    void apply();
    // Drops the proposal and the reason of a failed apply ("Skip"); while apply waits for another
    // program, ends that wait first.
    void skip();
    // Apply was pressed and the write has not ended yet.
    bool isApplying() const { return applying_; }

    const std::optional<FileAppendWriter::DiffPreview>& preview() const { return preview_; }
    bool applied() const { return applied_; }
    const std::optional<QString>& error() const { return error_; }
    // A proposal waits for apply or skip: exactly when the card is shown.
    bool isPending() const { return preview_ && !applied_; }
    // The lines to append, each "+ " + the line.
    QList<DiffRow> rows() const;

    static QString skipLine();
    static QString updatedLine(const FileAppendWriter::DiffPreview& preview);

signals:
    void changed();
    void lineAppended(const QString& line);

private:
    FileAppendWriter writer() const;

    std::shared_ptr<FileSystemOperating> fs_;
    std::optional<FileAppendWriter::DiffPreview> preview_;
    std::optional<ShellActivationManager> manager_;
    QString title_;
    bool applied_ = false;
    bool applying_ = false;
    bool skipAfterApply_ = false; // Skip came while the write ran
    std::optional<QString> error_;
    std::stop_source apply_;
};

} // namespace qlan
