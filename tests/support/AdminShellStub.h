#pragma once
// A stub "/usr/bin/osascript" that plays AppleScript's `do shell script "..." with administrator
// privileges`: it records its run like every stub, decodes the first AppleScript string of its "-e"
// script exactly as AppleScript reads it (\" and \\), points the Mac's /usr/sbin/installer at the
// sandbox's, and runs the command with /bin/sh, so that the words the installer receives are what a
// real shell would give it.

#include "support/Sandbox.h"

namespace qlan::test {

inline void writeAdminShellOsascript(Sandbox& sandbox) {
    const QString installer = sandbox.map(QStringLiteral("/usr/sbin/installer"));
    StubSpec spec;
    spec.script =
        QStringLiteral(
            "qlan_cmd=$(/usr/bin/perl -e '$_ = $ARGV[0]; if (/^do shell script \"((?:[^\"\\\\]|\\\\.)*)\"/s) "
            "{ ($c = $1) =~ s/\\\\(.)/$1/gs; print $c } else { exit 2 }' -- \"$2\") || exit 1\n"
            "qlan_cmd=${qlan_cmd//\\/usr\\/sbin\\/installer/%1}\n"
            "/bin/sh -c \"$qlan_cmd\"\n"
            "exit $?\n")
            .arg(installer);
    sandbox.writeStub(QStringLiteral("/usr/bin/osascript"), spec);
}

} // namespace qlan::test
