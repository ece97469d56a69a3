#include "app/FormatFileInstall.h"

#include "app/GlobalUnit.h"
#include "platform/Platform.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace fw {

QStringList ShippedFormatFileCandidates() {
    const QString exe = platform::ExecutableFolder();
    const QString name = QLatin1String(kFormatFileName);
    return {exe + name, exe + QStringLiteral("../share/framewright/") + name};
}

bool InstallFormatFile(const QString& targetPath, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    QFileInfo target(targetPath);
    if (target.exists() || target.isSymLink()) return true;
    QString source;
    for (const QString& candidate : ShippedFormatFileCandidates()) {
        if (QFileInfo(candidate).isFile()) {
            source = candidate;
            break;
        }
    }
    if (source.isEmpty())
        return fail(QStringLiteral("The shipped format file was not found (looked in %1).")
                        .arg(ShippedFormatFileCandidates().join(QStringLiteral(", "))));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
    const QByteArray data = in.readAll();
    // Exclusive create: when two instances start at once, one copies and the
    // other finds the file in place; an existing file is never replaced. The
    // content goes to a temporary name first and is linked into place, so no
    // reader ever sees half a file.
    QByteArray tempName = QFile::encodeName(targetPath + QStringLiteral(".XXXXXX"));
    int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        return fail(QStringLiteral("Cannot create a file beside %1: %2")
                        .arg(targetPath, QString::fromLocal8Bit(strerror(errno))));
    ::fchmod(fd, 0644);
    qint64 written = 0;
    while (written < data.size()) {
        ssize_t n = ::write(fd, data.constData() + written, size_t(data.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += n;
    }
    const bool ok = written == data.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok) {
        ::unlink(tempName.constData());
        return fail(QStringLiteral("Cannot write %1.").arg(QFile::decodeName(tempName)));
    }
    const int linked = ::link(tempName.constData(), QFile::encodeName(targetPath).constData());
    const int linkErrno = errno;
    ::unlink(tempName.constData());
    if (linked != 0 && linkErrno != EEXIST)
        return fail(QStringLiteral("Cannot install the format file as %1: %2")
                        .arg(targetPath, QString::fromLocal8Bit(strerror(linkErrno))));
    return true;
}

bool EnsureFormatFileInstalled(QString* error) {
    const QString folder = platform::AppDataFolder();
    if (folder.isEmpty()) {
        if (error)
            *error = QStringLiteral("The application-data folder is unknown (no home folder).");
        return false;
    }
    return InstallFormatFile(folder + QLatin1String(kFormatFileName), error);
}

}  // namespace fw
