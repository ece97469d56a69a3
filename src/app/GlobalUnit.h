// The one application-wide object: where the settings file and the format file
// live, what the product is called, and a few services every window uses.
// It exists while the main window lives (or while the command-line front end
// works); GlobalObjectScope creates and destroys it.
#pragma once

#include "app/IniFile.h"

#include <QString>

namespace fw {

class TGlobalObject {
  public:
    // Shell folder identifiers understood by GetSpecialFolder.
    static constexpr int kCsidlDesktop = 0;
    static constexpr int kCsidlPersonal = 5;  // documents
    static constexpr int kCsidlMyVideo = 14;
    static constexpr int kCsidlAppData = 35;
    static constexpr int kCsidlMyPictures = 39;
    static constexpr int kCsidlProfile = 40;

    const QString& HelpAddress() const { return helpAddress_; }
    const QString& SettingsFileName() const { return settingsFileName_; }
    const QString& FormatFileName() const { return formatFileName_; }
    const QString& ProductName() const { return productName_; }
    const QString& VersionText() const { return versionText_; }
    const QString& WebSiteAddress() const { return webSiteAddress_; }

    // An empty text leaves the field unchanged.
    void SetHelpAddress(const QString& text);
    void SetProductName(const QString& text);
    void SetVersionText(const QString& text);
    void SetWebSiteAddress(const QString& text);
    // Only a text longer than 3 characters is taken.
    void SetSettingsFileName(const QString& text);
    void SetFormatFileName(const QString& text);

    // The last n characters of text (all of it when shorter; none for n <= 0).
    static QString RightText(const QString& text, int n);
    // " 1.205 " for version 1.2.0.5: major, ".", then minor, release and build
    // run together, with a blank before and after.
    static QString BuildVersionText();
    // The writability probe; the stored default folder text counts as the
    // default folder it stands for.
    static bool IsFolderWritable(const QString& folder);
    static QString GetLoginName();
    // The folder's path ending in '/', or empty when the system has none.
    static QString GetSpecialFolder(int csidl);

  private:
    QString helpAddress_;
    QString settingsFileName_;
    QString formatFileName_;
    QString productName_;
    QString versionText_;
    QString webSiteAddress_;
};

bool GlobalObjectExists();
// The global object; using it while none exists is a programming error and
// stops the program with a message.
TGlobalObject& GlobalObject();

// Creates the global object and does the start-up settings: the file names in
// the application-data folder, the product name, " ver 1.20 ", the web site
// and help addresses. Destroys it at the end of the scope. A scope opened
// while the object already exists leaves it alone (and does not destroy it).
class GlobalObjectScope {
  public:
    GlobalObjectScope();
    ~GlobalObjectScope();
    GlobalObjectScope(const GlobalObjectScope&) = delete;
    GlobalObjectScope& operator=(const GlobalObjectScope&) = delete;

  private:
    bool owner_ = false;
};

// The settings file and the format file named by the global object.
IniFile SettingsIni();
IniFile FormatIni();

inline constexpr const char* kSettingsFileName = "orvextarnwellconverter.ini";
inline constexpr const char* kFormatFileName = "orvextarnwellformat.ini";

}  // namespace fw
