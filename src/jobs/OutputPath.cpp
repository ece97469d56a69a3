#include "jobs/OutputPath.h"

#include "app/GlobalUnit.h"
#include "app/IniFile.h"
#include "platform/Platform.h"
#include "platform/Prompts.h"

#include <QDir>
#include <QFileInfo>

namespace fw {

namespace {

const QString kSettings = QStringLiteral("settings");
const QString kOutPutDir = QStringLiteral("OutPutDir");

// True when name is taken by something that is not a folder (a file, or a
// link even when it points nowhere: writing there would fail or follow it).
bool FileTaken(const QString& path) {
    QFileInfo info(path);
    if (info.isSymLink()) return true;
    return info.exists() && !info.isDir();
}

// Only an absolute folder can be used on this system; a stored Windows path
// such as "E:\out" would otherwise become a folder of that name in the
// current directory.
bool MakeFolder(const QString& folder) {
    if (!folder.startsWith(QLatin1Char('/'))) return false;
    return QFileInfo(folder).isDir() || QDir().mkpath(folder);
}

QString BaseName(const QString& sourcePath) {
    QString name = QFileInfo(sourcePath).fileName();
    const int dot = int(name.lastIndexOf(QLatin1Char('.')));
    if (dot > 0) name.truncate(dot);
    return name;
}

}  // namespace

QString StoredOutputFolder() {
    return SettingsIni().ReadString(kSettings, kOutPutDir, platform::DefaultFolderText());
}

QString BuildOutputPath(const QString& sourcePath, const QString& suffix, IPrompts& prompts) {
    const QString stored = StoredOutputFolder();
    QString folder = platform::ResolveFolder(stored);
    if (!MakeFolder(folder)) {
        const QString fallback = platform::DefaultFolderPath();
        prompts.MessageBox(QStringLiteral("Warning"),
                           QStringLiteral("Cannot create output directory:") + stored +
                               QStringLiteral(".It will create default directory ") + fallback +
                               QStringLiteral("!"),
                           MsgIcon::Warning, MsgButtons::Ok);
        QDir().mkpath(fallback);
        SettingsIni().WriteString(kSettings, kOutPutDir, fallback);
        folder = fallback;
    }
    return UniqueOutputPath(folder, sourcePath, suffix);
}

QString UniqueOutputPath(QString folder, const QString& sourcePath, const QString& suffix) {
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    const QString base = folder + BaseName(sourcePath);
    QString candidate = base + QStringLiteral("_(new)") + suffix;
    for (qint64 n = 1; FileTaken(candidate); ++n)
        candidate =
            base + QStringLiteral("_(new_") + QString::number(n) + QLatin1Char(')') + suffix;
    return candidate;
}

QString BuildOutputPathIn(const QString& folder, const QString& sourcePath, const QString& suffix,
                          QString* error) {
    if (!MakeFolder(folder)) {
        *error = QStringLiteral("Cannot create output directory:") + folder;
        return {};
    }
    return UniqueOutputPath(folder, sourcePath, suffix);
}

BrowseOutcome ApplyBrowsedFolder(const QString& chosen, const QString& shown, IPrompts& prompts,
                                 QString* newShown) {
    if (chosen.isEmpty() || chosen == shown) return BrowseOutcome::Unchanged;
    if (chosen.size() < 4) {
        prompts.MessageBox(
            QStringLiteral("Warning"),
            QStringLiteral("The path ") + chosen + QStringLiteral(" is not a valid directory."),
            MsgIcon::Warning, MsgButtons::Ok);
        return BrowseOutcome::Invalid;
    }
    if (TGlobalObject::IsFolderWritable(chosen)) {
        SettingsIni().WriteString(kSettings, kOutPutDir, chosen);
        if (newShown) *newShown = chosen;
        return BrowseOutcome::Accepted;
    }
    prompts.MessageBox(QStringLiteral("Warning"),
                       QStringLiteral("You login as ") + TGlobalObject::GetLoginName().trimmed() +
                           QStringLiteral(" .You don't have permission to write to directory:") +
                           chosen,
                       MsgIcon::Warning, MsgButtons::Ok);
    const QString fallback = platform::DefaultFolderPath();
    SettingsIni().WriteString(kSettings, kOutPutDir, fallback);
    if (newShown) *newShown = fallback;
    return BrowseOutcome::Replaced;
}

bool OpenOutputFolder(const QString& shownText) {
    return OpenOutputFolder(shownText, [](const QString& f) { return platform::OpenInDesktop(f); });
}

bool OpenOutputFolder(const QString& shownText, const std::function<bool(const QString&)>& opener) {
    if (shownText.size() <= 2) return false;
    return opener(platform::ResolveFolder(StoredOutputFolder()));
}

QString RepairFolderKey(const QString& key) {
    IniFile settings = SettingsIni();
    const QString stored = settings.ReadString(kSettings, key, platform::DefaultFolderText());
    if (TGlobalObject::IsFolderWritable(stored)) return platform::ResolveFolder(stored);
    const QString fallback = platform::DefaultFolderPath();
    settings.WriteString(kSettings, key, fallback);
    return fallback;
}

}  // namespace fw
