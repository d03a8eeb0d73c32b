#pragma once
// The test sandbox: a temporary folder that plays the Mac's "/", with a home folder inside it.
//
// Paths. Product code uses the Mac's absolute paths ("/opt/homebrew/bin/brew", "/usr/libexec/java_home",
// "/Applications/Warp.app"). The sandbox's services resolve every absolute path inside the root:
// map(p) = root + p, except that a path already inside the root is left as it is (so mapping twice is
// harmless); ".." is resolved first and cannot climb out of the root. The home folder is a real folder inside
// the root (root + "/Users/tester"), and `services().fs->homeDirectory()` returns that real path, so that
// everything derived from it (and
// `$HOME` of children) needs no mapping. As on a Mac, "/tmp" is a link to "/private/tmp", the
// temporary folder of `services().fs`. Nothing else exists until the test makes it.
//
// Processes. `services().processRunner` runs the mapped executable (a missing stub means "cannot be
// started", never a fallback to this machine's program). Children get HOME = the sandbox home; an
// inherited environment gets a PATH of the sandbox's bin folders (mapped /opt/homebrew/bin,
// /usr/local/bin, /usr/bin, /bin, /usr/sbin, /sbin) followed by this machine's /usr/bin:/bin so that
// stub scripts can use cat, sleep and the like, TMPDIR = the sandbox's /private/tmp, and loses ZDOTDIR,
// BASH_ENV and ENV (so that no shell reads this machine's startup files); in an explicit environment,
// PATH entries that exist inside the root are mapped, the rest kept, and ZDOTDIR, BASH_ENV and ENV are
// mapped (see SandboxProcessRunner).
//
// Stubs. `writeStub` writes a small bash script at a Mac path inside the root. Every run records itself
// in the stub's log (a folder under root + "/.sandbox/stubs", one numbered record per run, safe for
// concurrent runs): its argv, its whole environment and its standard input (read to the end unless it is
// a terminal), then the stub sleeps, prints, runs the extra lines, sleeps and exits as the StubSpec says.
// The script uses only absolute paths of this machine's tools, so it works whatever PATH it gets.
// `calls(path)` reads the records back.
//
// Safety. No helper writes through a link that leads outside the root: writeStub, makeSymlink and
// linkSystemProgram replace whatever file or link was at the path, writeFile refuses such a link.

#include "platform/AppServices.h"
#include "support/SandboxLayout.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace qlan::test {

struct StubSpec {
    QString stdOut; // printed to standard output as is (add "\n" yourself)
    QString stdErr; // printed to standard error as is
    int exitCode = 0;
    int sleepMs = 0;      // sleep before printing
    int sleepAfterMs = 0; // sleep after printing, before exiting
    QString script;       // when set: extra bash lines run after the output (before exiting)

    // Chainable setters, e.g. StubSpec().withStdOut("4.3.1\n").withExitCode(1) (GCC 12 warns about
    // designated initialisers that leave fields out).
    StubSpec& withStdOut(QString text) { return stdOut = std::move(text), *this; }
    StubSpec& withStdErr(QString text) { return stdErr = std::move(text), *this; }
    StubSpec& withExitCode(int code) { return exitCode = code, *this; }
    StubSpec& withSleep(int ms) { return sleepMs = ms, *this; }
    StubSpec& withSleepAfter(int ms) { return sleepAfterMs = ms, *this; }
    StubSpec& withScript(QString lines) { return script = std::move(lines), *this; }
};

struct StubCall {
    QStringList arguments;              // argv[1...]
    QMap<QString, QString> environment; // the whole environment the stub saw
    QByteArray standardInput;           // what it read from stdin (empty for /dev/null)
};

class Sandbox {
public:
    // `homeName` names the home folder below "/Users" (any characters but "/").
    explicit Sandbox(const QString& homeName = QStringLiteral("tester"));
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // The real folder that plays "/".
    QString root() const;
    // The real home folder inside the root (root + "/Users/" + the home's name, "tester" by default).
    QString home() const;
    // Mac path -> real path inside the root (idempotent; see SandboxLayout::map).
    QString map(const QString& macPath) const;
    const SandboxLayout& layout() const;
    // The INI file behind `services().store`.
    QString storeFile() const;

    // Services whose file system, processes and store work inside the root. `http` is the live fetcher
    // (tests point it at loopback servers only).
    const AppServices& services() const;

    // Files and folders at Mac paths (parents created). Failures throw std::runtime_error.
    void writeFile(const QString& macPath, const QByteArray& contents, int mode = 0644);
    void makeDirectory(const QString& macPath);
    // An absolute target is a Mac path and is mapped; a relative one is kept as it is.
    void makeSymlink(const QString& macPath, const QString& target);
    QByteArray readFile(const QString& macPath) const;
    // Anything at the path, a dangling link included (the link itself is not followed).
    bool exists(const QString& macPath) const;

    // A stub program at a Mac path (mode 0755).
    void writeStub(const QString& macPath, const StubSpec& spec = {});
    // Every run of the stub so far, in the order the runs started (a run counts once its arguments are
    // recorded; its standard input shows once it has been read to the end).
    QList<StubCall> calls(const QString& macPath) const;

    // Makes a program of this machine available at a Mac path inside the root (a symbolic link), e.g.
    // linkSystemProgram("/bin/zsh") so that login-shell commands run for real. Without a system path the
    // program of the same name is looked up on this machine's PATH.
    void linkSystemProgram(const QString& macPath, const QString& systemPath = {});

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace qlan::test
