#include "platform/Platform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#ifndef FW_VERSION_MAJOR
#define FW_VERSION_MAJOR 0
#define FW_VERSION_MINOR 0
#define FW_VERSION_PATCH 0
#define FW_VERSION_TWEAK 0
#endif

namespace fw::platform {

namespace {

QString WithSlash(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/'))) return folder;
    return folder + QLatin1Char('/');
}

// The password database entry of the effective user, read re-entrantly.
bool PasswdEntry(QString* name, QString* home) {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    while (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &result) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (!result) return false;
    if (name) *name = QString::fromLocal8Bit(result->pw_name);
    if (home) *home = QString::fromLocal8Bit(result->pw_dir);
    return true;
}

}  // namespace

QString AppDataFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (folder.isEmpty()) return {};
    QDir().mkpath(folder);
    return WithSlash(folder);
}

QString LoginName() {
    QString name;
    if (PasswdEntry(&name, nullptr) && !name.isEmpty()) return name;
    return qEnvironmentVariable("USER");
}

FileVersion ExecutableVersion() {
    return {FW_VERSION_MAJOR, FW_VERSION_MINOR, FW_VERSION_PATCH, FW_VERSION_TWEAK};
}

bool ProbeFolderWritable(const QString& folder) {
    if (folder.isEmpty()) return false;
    QFileInfo info(folder);
    if (!info.isDir()) return false;
    // mkstemp opens with O_CREAT | O_EXCL, so an existing file is never touched.
    QByteArray pattern = QFile::encodeName(WithSlash(folder) + QStringLiteral("DAXXXXXX"));
    int fd = mkstemp(pattern.data());
    if (fd < 0) return false;
    close(fd);
    return unlink(pattern.constData()) == 0;
}

QString UserProfileFolder() {
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) PasswdEntry(nullptr, &home);
    while (home.size() > 1 && home.endsWith(QLatin1Char('/'))) home.chop(1);
    return home;
}

QString DefaultFolderText() {
    return QStringLiteral("c:\\framewright");
}

QString DefaultFolderPath() {
    return UserProfileFolder() + QStringLiteral("/framewright");
}

QString ResolveFolder(const QString& stored) {
    QString t = stored;
    t.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (t.endsWith(QLatin1Char('\\'))) t.chop(1);
    if (t.compare(DefaultFolderText(), Qt::CaseInsensitive) == 0) return DefaultFolderPath();
    return stored;
}

bool OpenInDesktop(const QString& folderOrUrl) {
    if (folderOrUrl.isEmpty()) return false;
    // QDesktopServices needs the platform integration of a GUI application.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    QUrl url;
    if (folderOrUrl.startsWith(QLatin1Char('/')) || !scheme.match(folderOrUrl).hasMatch()) {
        url = QUrl::fromLocalFile(QFileInfo(folderOrUrl).absoluteFilePath());
    } else {
        url = QUrl(folderOrUrl);
    }
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool IsOnCdRom(const QString& folder) {
    constexpr long kIso9660Magic = 0x9660;
    constexpr long kUdfMagic = 0x15013346;
    if (folder.isEmpty()) return false;
    struct statfs fs {};
    if (statfs(QFile::encodeName(folder).constData(), &fs) != 0) return false;
    return static_cast<long>(fs.f_type) == kIso9660Magic ||
           static_cast<long>(fs.f_type) == kUdfMagic;
}

QString ExecutableFolder() {
    QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (exe.isEmpty()) exe = QCoreApplication::applicationFilePath();
    return WithSlash(QFileInfo(exe).absolutePath());
}

}  // namespace fw::platform
