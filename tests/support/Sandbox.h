#pragma once
// The test sandbox: a temporary folder that plays the Mac's "/", with a home folder inside it.
//
// Paths. Product code uses the Mac's absolute paths ("/opt/homebrew/bin/brew", "/usr/libexec/java_home",
// "/Applications/Warp.app"). The sandbox's services resolve every absolute path inside the root:
// map(p) = root + p, except that a path already inside the root is left as it is (so mapping twice is
// harmless). The home folder is a real folder inside the root (root + "/Users/tester"), and
// `services().fs->homeDirectory()` returns that real path, so that everything derived from it (and
// `$HOME` of children) needs no mapping.
//
// Processes. `services().processRunner` runs the mapped executable (a missing stub means "cannot be
// started", never a fallback to this machine's program). Children get HOME = the sandbox home; an
// inherited environment gets a PATH of the sandbox's bin folders (mapped /opt/homebrew/bin,
// /usr/local/bin, /usr/bin, /bin, /usr/sbin, /sbin) followed by this machine's /usr/bin:/bin so that
// stub scripts can use cat, sleep and the like; in an explicit environment, PATH entries that exist
// inside the root are mapped, the rest kept.
//
// Stubs. `writeStub` writes a small bash script at a Mac path inside the root. Every run appends one
// record to a log (its argv, chosen environment variables and its standard input), then prints, sleeps
// and exits as the StubSpec says. `calls(path)` reads the records back.

#include "platform/AppServices.h"

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
};

struct StubCall {
    QStringList arguments;              // argv[1...]
    QMap<QString, QString> environment; // the whole environment the stub saw
    QByteArray standardInput;           // what it read from stdin (empty for /dev/null)
};

class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // The real folder that plays "/".
    QString root() const;
    // The real home folder inside the root (root + "/Users/tester").
    QString home() const;
    // Mac path -> real path inside the root (idempotent).
    QString map(const QString& macPath) const;

    // Services whose file system, processes and store work inside the root. `http` is the live fetcher
    // (tests point it at loopback servers only).
    const AppServices& services() const;

    // Files and folders at Mac paths (parents created).
    void writeFile(const QString& macPath, const QByteArray& contents, int mode = 0644);
    void makeDirectory(const QString& macPath);
    void makeSymlink(const QString& macPath, const QString& target);
    QByteArray readFile(const QString& macPath) const;
    bool exists(const QString& macPath) const;

    // A stub program at a Mac path (mode 0755).
    void writeStub(const QString& macPath, const StubSpec& spec = {});
    // Every run of the stub so far, in order.
    QList<StubCall> calls(const QString& macPath) const;

    // Makes a program of this machine available at a Mac path inside the root (a symbolic link), e.g.
    // linkSystemProgram("/bin/zsh") so that login-shell commands run for real.
    void linkSystemProgram(const QString& macPath, const QString& systemPath = {});

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace qlan::test
