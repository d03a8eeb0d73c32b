#include "support/Sandbox.h"

#include "support/LoopbackOnlyHTTPFetcher.h"

#include "platform/LiveKeyValueStore.h"
#include "support/SandboxFileSystem.h"
#include "support/SandboxProcessRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace qlan::test {
namespace {

[[noreturn]] void fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

bool isSymlink(const QString& path) {
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A text as one bash word: single-quoted, embedded quotes closed and reopened.
QString shellQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString seconds(int ms) {
    return QString::asprintf("%d.%03d", ms / 1000, ms % 1000);
}

// The items of a file that ends every item with a NUL byte.
QList<QByteArray> nulTerminatedItems(const QByteArray& bytes) {
    QList<QByteArray> items;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\0') continue;
        items.append(bytes.mid(start, i - start));
        start = i + 1;
    }
    if (start < bytes.size()) items.append(bytes.mid(start)); // a last item cut short
    return items;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& contents) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size())
        fail(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

void makePath(const QString& path) {
    if (!QDir().mkpath(path)) fail(QStringLiteral("Cannot create the folder %1").arg(path));
}

// Removes whatever non-folder item is at the path (a file, a link), so that nothing is written through
// a link to this machine's files.
void removeNonFolder(const QString& path) {
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) fail(QStringLiteral("%1 is a folder").arg(path));
    if (::unlink(native(path).constData()) != 0)
        fail(QStringLiteral("Cannot replace %1: %2").arg(path, errnoText()));
}

// Lets the owner into every folder again, so that a test that made one read-only cannot keep the sandbox
// from being removed.
int allowOwner(const char* path, const struct stat* st, int type, FTW*) {
    if (type == FTW_D || type == FTW_DNR) ::chmod(path, (st->st_mode & 07777) | S_IRWXU);
    return 0;
}

// How a stub records the environment it was started with: on Linux as the kernel handed it over; on a
// Mac as bash exports it (with its own PWD and SHLVL), read by bash itself: older env(1) has no -0.
#if defined(__linux__)
const char* const kStubRecordsEnvironment = R"(/bin/cat "/proc/$$/environ")";
#else
const char* const kStubRecordsEnvironment =
    R"(for qlan_name in $(compgen -e); do printf '%s=%s\0' "$qlan_name" "${!qlan_name}"; done)";
#endif

const char* const kStubTemplate = R"(#!/bin/bash
# A stub program written by the test sandbox: records this run, then answers as the test said.
qlan_calls=@CALLS@
shopt -s nullglob
qlan_runs=("$qlan_calls"/*)
shopt -u nullglob
qlan_n=${#qlan_runs[@]}
until /bin/mkdir "$qlan_calls/$qlan_n" 2>/dev/null; do
    if [ ! -e "$qlan_calls/$qlan_n" ]; then echo "stub: cannot record this run in $qlan_calls" >&2; exit 126; fi
    qlan_n=$((qlan_n + 1))
done
qlan_run="$qlan_calls/$qlan_n"
for qlan_arg in "$@"; do printf '%s\0' "$qlan_arg"; done >"$qlan_run/.argv"
@ENV@ >"$qlan_run/.env"
/bin/mv -f "$qlan_run/.env" "$qlan_run/env"
/bin/mv -f "$qlan_run/.argv" "$qlan_run/argv"
if [ ! -t 0 ]; then
    /bin/cat >"$qlan_run/.stdin" 2>/dev/null
    /bin/mv -f "$qlan_run/.stdin" "$qlan_run/stdin"
fi
unset qlan_calls qlan_runs qlan_n qlan_run qlan_arg qlan_name
)";

} // namespace

struct Sandbox::Impl {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/qlan-sandbox-XXXXXX")};
    SandboxLayout layout;
    AppServices services;

    QString control() const { return layout.root + QStringLiteral("/.sandbox"); }
    QString storeFile() const { return control() + QStringLiteral("/preferences.ini"); }

    // The folder that keeps a stub's output texts and its runs (one folder per run, numbered from 0).
    QString stubFolder(const QString& macPath) const {
        QString key = layout.map(macPath).mid(layout.root.size() + 1);
        key.replace(QLatin1Char('%'), QStringLiteral("%25")).replace(QLatin1Char('/'), QStringLiteral("%2F"));
        return control() + QStringLiteral("/stubs/") + key;
    }

    // Refuses a real path whose nearest existing folder lies outside the root (reached through a link).
    void checkInside(const QString& path) const {
        QString probe = path;
        while (!QFileInfo::exists(probe) && probe != layout.root && probe.size() > 1)
            probe = QFileInfo(probe).path();
        const QString canonical = QFileInfo(probe).canonicalFilePath();
        if (!layout.contains(canonical))
            fail(QStringLiteral("%1 leads outside the sandbox (to %2)").arg(path, canonical));
    }
};

Sandbox::Sandbox(const QString& homeName)
    : impl_(std::make_unique<Impl>()) {
    if (!impl_->dir.isValid())
        fail(QStringLiteral("Cannot create the sandbox: %1").arg(impl_->dir.errorString()));
    impl_->layout.root = QFileInfo(impl_->dir.path()).canonicalFilePath();
    impl_->layout.home = impl_->layout.root + QStringLiteral("/Users/") + homeName;
    makePath(impl_->layout.home);
    makePath(impl_->layout.root + QStringLiteral("/private/tmp"));
    if (!QFile::link(QStringLiteral("private/tmp"), impl_->layout.root + QStringLiteral("/tmp")))
        fail(QStringLiteral("Cannot link /tmp in the sandbox"));
    makePath(impl_->control() + QStringLiteral("/stubs"));
    impl_->services = AppServices{
        std::make_shared<SandboxProcessRunner>(impl_->layout),
        std::make_shared<LoopbackOnlyHTTPFetcher>(),
        std::make_shared<SandboxFileSystem>(impl_->layout),
        std::make_shared<LiveKeyValueStore>(impl_->storeFile()),
        false,
    };
}

Sandbox::~Sandbox() {
    if (!impl_->layout.root.isEmpty())
        ::nftw(native(impl_->layout.root).constData(), allowOwner, 32, FTW_PHYS);
}

QString Sandbox::root() const {
    return impl_->layout.root;
}

QString Sandbox::home() const {
    return impl_->layout.home;
}

QString Sandbox::map(const QString& macPath) const {
    return impl_->layout.map(macPath);
}

const SandboxLayout& Sandbox::layout() const {
    return impl_->layout;
}

QString Sandbox::storeFile() const {
    return impl_->storeFile();
}

const AppServices& Sandbox::services() const {
    return impl_->services;
}

void Sandbox::writeFile(const QString& macPath, const QByteArray& contents, int mode) {
    const QString path = map(macPath);
    makePath(QFileInfo(path).path());
    impl_->checkInside(QFileInfo(path).path());
    if (isSymlink(path)) {
        const QString target = QFileInfo(path).canonicalFilePath();
        if (target.isEmpty() || !impl_->layout.contains(target))
            fail(QStringLiteral("%1 is a link that leads outside the sandbox").arg(path));
    }
    writeAll(path, contents);
    if (::chmod(native(path).constData(), static_cast<mode_t>(mode)) != 0)
        fail(QStringLiteral("Cannot set the mode of %1: %2").arg(path, errnoText()));
}

void Sandbox::makeDirectory(const QString& macPath) {
    const QString path = map(macPath);
    impl_->checkInside(path);
    makePath(path);
}

void Sandbox::makeSymlink(const QString& macPath, const QString& target) {
    const QString path = map(macPath);
    makePath(QFileInfo(path).path());
    impl_->checkInside(QFileInfo(path).path());
    removeNonFolder(path);
    const QString linkTarget = target.startsWith(QLatin1Char('/')) ? map(target) : target;
    if (::symlink(native(linkTarget).constData(), native(path).constData()) != 0)
        fail(QStringLiteral("Cannot link %1 to %2: %3").arg(path, linkTarget, errnoText()));
}

QByteArray Sandbox::readFile(const QString& macPath) const {
    return readAll(map(macPath));
}

bool Sandbox::exists(const QString& macPath) const {
    struct stat st {};
    return ::lstat(native(map(macPath)).constData(), &st) == 0;
}

void Sandbox::writeStub(const QString& macPath, const StubSpec& spec) {
    const QString path = map(macPath);
    if (path == impl_->layout.root || !impl_->layout.contains(path))
        fail(QStringLiteral("Cannot write a stub at %1").arg(macPath));
    const QString folder = impl_->stubFolder(path);
    makePath(folder + QStringLiteral("/calls"));
    writeAll(folder + QStringLiteral("/stdout"), spec.stdOut.toUtf8());
    writeAll(folder + QStringLiteral("/stderr"), spec.stdErr.toUtf8());

    QString script = QString::fromUtf8(kStubTemplate);
    script.replace(QStringLiteral("@CALLS@"), shellQuoted(folder + QStringLiteral("/calls")));
    script.replace(QStringLiteral("@ENV@"), QString::fromUtf8(kStubRecordsEnvironment));
    if (spec.sleepMs > 0) script += QStringLiteral("/bin/sleep %1\n").arg(seconds(spec.sleepMs));
    script += QStringLiteral("/bin/cat %1\n").arg(shellQuoted(folder + QStringLiteral("/stdout")));
    script += QStringLiteral("/bin/cat %1 >&2\n").arg(shellQuoted(folder + QStringLiteral("/stderr")));
    if (!spec.script.isEmpty()) {
        script += spec.script;
        if (!script.endsWith(QLatin1Char('\n'))) script += QLatin1Char('\n');
    }
    if (spec.sleepAfterMs > 0) script += QStringLiteral("/bin/sleep %1\n").arg(seconds(spec.sleepAfterMs));
    script += QStringLiteral("exit %1\n").arg(spec.exitCode);

    makePath(QFileInfo(path).path());
    impl_->checkInside(QFileInfo(path).path());
    // A stub replaces what was there; writing through a link could change a program of this machine.
    removeNonFolder(path);
    writeAll(path, script.toUtf8());
    if (::chmod(native(path).constData(), 0755) != 0)
        fail(QStringLiteral("Cannot make %1 executable: %2").arg(path, errnoText()));
}

QList<StubCall> Sandbox::calls(const QString& macPath) const {
    const QString folder = impl_->stubFolder(macPath) + QStringLiteral("/calls");
    QList<qulonglong> numbers;
    for (const QString& name : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const qulonglong number = name.toULongLong(&ok);
        if (ok) numbers.append(number);
    }
    std::sort(numbers.begin(), numbers.end());

    QList<StubCall> result;
    for (qulonglong number : numbers) {
        const QString run = folder + QLatin1Char('/') + QString::number(number);
        // A run still starting has not written its arguments yet: it is not a call so far.
        if (!QFileInfo::exists(run + QStringLiteral("/argv"))) continue;
        StubCall call;
        for (const QByteArray& item : nulTerminatedItems(readAll(run + QStringLiteral("/argv"))))
            call.arguments.append(QString::fromUtf8(item));
        for (const QByteArray& item : nulTerminatedItems(readAll(run + QStringLiteral("/env")))) {
            const qsizetype equals = item.indexOf('=');
            if (equals <= 0) continue;
            call.environment.insert(QString::fromUtf8(item.left(equals)),
                                    QString::fromUtf8(item.mid(equals + 1)));
        }
        if (QFileInfo::exists(run + QStringLiteral("/stdin")))
            call.standardInput = readAll(run + QStringLiteral("/stdin"));
        result.append(std::move(call));
    }
    return result;
}

void Sandbox::linkSystemProgram(const QString& macPath, const QString& systemPath) {
    QString program = systemPath;
    if (program.isEmpty()) program = QStandardPaths::findExecutable(QFileInfo(macPath).fileName());
    if (program.isEmpty())
        fail(QStringLiteral("This machine has no program %1").arg(QFileInfo(macPath).fileName()));
    const QString path = map(macPath);
    makePath(QFileInfo(path).path());
    impl_->checkInside(QFileInfo(path).path());
    removeNonFolder(path);
    if (::symlink(native(program).constData(), native(path).constData()) != 0)
        fail(QStringLiteral("Cannot link %1 to %2: %3").arg(path, program, errnoText()));
}

} // namespace qlan::test
