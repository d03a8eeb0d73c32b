#include "support/PrivateNetwork.h"

#include <QFile>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#if defined(__linux__)
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#endif

namespace qlan::test {

namespace {

constexpr const char* kChildVariable = "QLAN_PRIVATE_NETWORK_CHILD";

QString systemError(const QString& what, int error) {
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

std::optional<QString> whyNoPrivateNetwork() {
#if defined(__linux__)
    if (QStandardPaths::findExecutable(QStringLiteral("unshare")).isEmpty())
        return QStringLiteral("unshare(1) is not installed");
    return std::nullopt;
#else
    return QStringLiteral("a network of a test's own is made of Linux namespaces");
#endif
}

ChildRun runTestInPrivateNetwork(const QString& test) {
    return runTestUnder({QStandardPaths::findExecutable(QStringLiteral("unshare")), QStringLiteral("-rmn")},
                        test, {{QString::fromLatin1(kChildVariable), QStringLiteral("1")}});
}

std::optional<QString> whyChildCouldNotTest(const ChildRun& run) {
    // unshare(1) says why it could not make the namespaces (a kernel that allows no user namespace).
    if (run.output.startsWith("unshare:") || run.output.contains("[  SKIPPED ]"))
        return QString::fromLocal8Bit(run.output.trimmed());
    return std::nullopt;
}

bool isPrivateNetworkChild() {
    return qEnvironmentVariable(kChildVariable) == QLatin1String("1");
}

std::optional<QString> bringLoopbackUp() {
#if defined(__linux__)
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return systemError(QStringLiteral("no socket for the loopback interface"), errno);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (up) {
        request.ifr_flags = short(request.ifr_flags | IFF_UP | IFF_RUNNING);
        up = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    const int error = errno;
    ::close(fd);
    if (!up) return systemError(QStringLiteral("could not bring the loopback interface up"), error);
    return std::nullopt;
#else
    return QStringLiteral("a network of a test's own is made of Linux namespaces");
#endif
}

std::optional<QString> layOver(const QString& file, const QString& target) {
#if defined(__linux__)
    if (::mount(QFile::encodeName(file).constData(), QFile::encodeName(target).constData(), nullptr, MS_BIND,
                nullptr) != 0)
        return systemError(QStringLiteral("could not lay a file over ") + target, errno);
    return std::nullopt;
#else
    Q_UNUSED(file);
    Q_UNUSED(target);
    return QStringLiteral("a network of a test's own is made of Linux namespaces");
#endif
}

SilentNameServer::SilentNameServer() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd_ < 0) {
        whyNot_ = systemError(QStringLiteral("no socket for the name server"), errno);
        return;
    }
    ::fcntl(fd_, F_SETFD, FD_CLOEXEC);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(53);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        whyNot_ = systemError(QStringLiteral("the name server could not take 127.0.0.1:53"), errno);
}

SilentNameServer::~SilentNameServer() {
    if (fd_ >= 0) ::close(fd_);
}

int SilentNameServer::readQuestions() {
    int questions = 0;
    char question[4096];
    while (fd_ >= 0 && ::recv(fd_, question, sizeof question, MSG_DONTWAIT) >= 0)
        ++questions;
    return questions;
}

} // namespace qlan::test
