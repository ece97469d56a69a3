#include "app/GlobalUnit.h"

#include "platform/Platform.h"

#include <QStandardPaths>
#include <QtGlobal>

#include <memory>

namespace fw {

namespace {

// The one process-wide object; only GlobalObjectScope creates and destroys it.
std::unique_ptr<TGlobalObject>& Instance() {
    static std::unique_ptr<TGlobalObject> instance;
    return instance;
}

QString WithSlash(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/'))) return folder;
    return folder + QLatin1Char('/');
}

}  // namespace

void TGlobalObject::SetHelpAddress(const QString& text) {
    if (!text.isEmpty()) helpAddress_ = text;
}
void TGlobalObject::SetProductName(const QString& text) {
    if (!text.isEmpty()) productName_ = text;
}
void TGlobalObject::SetVersionText(const QString& text) {
    if (!text.isEmpty()) versionText_ = text;
}
void TGlobalObject::SetWebSiteAddress(const QString& text) {
    if (!text.isEmpty()) webSiteAddress_ = text;
}
void TGlobalObject::SetSettingsFileName(const QString& text) {
    if (text.size() > 3) settingsFileName_ = text;
}
void TGlobalObject::SetFormatFileName(const QString& text) {
    if (text.size() > 3) formatFileName_ = text;
}

QString TGlobalObject::RightText(const QString& text, int n) {
    if (n <= 0) return {};
    return text.right(n);
}

QString TGlobalObject::BuildVersionText() {
    const platform::FileVersion v = platform::ExecutableVersion();
    return QStringLiteral(" %1.%2%3%4 ").arg(v.major).arg(v.minor).arg(v.release).arg(v.build);
}

bool TGlobalObject::IsFolderWritable(const QString& folder) {
    return platform::ProbeFolderWritable(platform::ResolveFolder(folder));
}

QString TGlobalObject::GetLoginName() {
    constexpr int kBufferLength = 254;
    return platform::LoginName().left(kBufferLength);
}

QString TGlobalObject::GetSpecialFolder(int csidl) {
    QString folder;
    switch (csidl) {
        case kCsidlAppData:
            return platform::AppDataFolder();
        case kCsidlProfile:
            folder = platform::UserProfileFolder();
            break;
        case kCsidlDesktop:
            folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
            break;
        case kCsidlPersonal:
            folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            break;
        case kCsidlMyVideo:
            folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
            break;
        case kCsidlMyPictures:
            folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
            break;
        default:
            return {};
    }
    const int zero = folder.indexOf(QChar(0));
    if (zero >= 0) folder.truncate(zero);
    return WithSlash(folder);
}

bool GlobalObjectExists() {
    return Instance() != nullptr;
}

TGlobalObject& GlobalObject() {
    auto& instance = Instance();
    if (!instance) qFatal("The global object is used before it was created.");
    return *instance;
}

GlobalObjectScope::GlobalObjectScope() {
    auto& instance = Instance();
    if (instance) return;
    instance = std::make_unique<TGlobalObject>();
    owner_ = true;
    TGlobalObject& g = *instance;
    const QString appData = TGlobalObject::GetSpecialFolder(TGlobalObject::kCsidlAppData);
    g.SetSettingsFileName(appData + QLatin1String(kSettingsFileName));
    g.SetFormatFileName(appData + QLatin1String(kFormatFileName));
    g.SetProductName(QStringLiteral("Orvex Tarnwell"));
    g.SetVersionText(QStringLiteral(" ver 1.20 "));
    g.SetWebSiteAddress(QStringLiteral("https://framewright.example.org/"));
    g.SetHelpAddress(QStringLiteral("https://framewright.example.org/help/"));
}

GlobalObjectScope::~GlobalObjectScope() {
    if (owner_) Instance().reset();
}

IniFile SettingsIni() {
    return IniFile(GlobalObject().SettingsFileName());
}
IniFile FormatIni() {
    return IniFile(GlobalObject().FormatFileName());
}

}  // namespace fw
