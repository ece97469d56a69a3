// Operating-system services the program needs, in one small interface: where
// the settings live, who runs the program, the executable's version, whether a
// folder can be written, and handing folders and web addresses to the desktop.
#pragma once

#include <QString>

namespace fw::platform {

// The user's configuration folder ($XDG_CONFIG_HOME, else ~/.config), created
// when missing, always ending in '/'. Empty when no home folder is known.
QString AppDataFolder();

// The name of the effective user from the password database ($USER when the
// database has no entry).
QString LoginName();

struct FileVersion {
    int major = 0;
    int minor = 0;
    int release = 0;
    int build = 0;
};
// The version compiled in from the project's version number.
FileVersion ExecutableVersion();

// True when a uniquely named file with the prefix "DA" can be created
// exclusively in the folder and removed again. Nothing is left behind; a
// folder that does not exist is not writable.
bool ProbeFolderWritable(const QString& folder);

// $HOME (or the home folder of the password database), without a trailing '/'.
QString UserProfileFolder();

// The default output and snapshot folder as stored in the settings file. It is
// kept in its historical form so that stored files stay interchangeable.
QString DefaultFolderText();
// Where that default folder really is on this system: $HOME/framewright.
QString DefaultFolderPath();
// Maps the stored default text (any letter case, either slash, with or without
// a trailing slash) to DefaultFolderPath(); other texts come back unchanged.
QString ResolveFolder(const QString& stored);

// Opens a folder in the file manager or a web address in the browser, without
// any shell command line. Needs a QGuiApplication; false without one or when
// the desktop refuses.
bool OpenInDesktop(const QString& folderOrUrl);

// True when the folder lies on an optical disc file system (iso9660, udf).
bool IsOnCdRom(const QString& folder);

// The folder of the running executable, ending in '/'.
QString ExecutableFolder();

}  // namespace fw::platform
