// Output file naming and the output folder ("OutPutDir" of section "settings").
// An output name never names an existing file: clip.flv becomes
// clip_(new).swf, then clip_(new_1).swf, clip_(new_2).swf, ... reusing gaps.
#pragma once

#include <QString>

#include <functional>

namespace fw {

class IPrompts;

// The output folder text stored in "OutPutDir" (the stored default when absent).
QString StoredOutputFolder();

// Output folder + the source's file name without its last extension + the
// uniqueness tag + suffix. A folder that does not exist is created; when it
// cannot be (or is not an absolute path), the user is told and the default
// folder ($HOME/framewright) is created, stored and used instead. Nothing is
// created or reserved for the file itself.
QString BuildOutputPath(const QString& sourcePath, const QString& suffix, IPrompts& prompts);

// The same name in a folder the caller chose (the command line's
// --output-dir): the folder is created when missing; when it cannot be, the
// result is empty and *error says why. Nothing falls back or is stored.
QString BuildOutputPathIn(const QString& folder, const QString& sourcePath, const QString& suffix,
                          QString* error);

// The first free name in an existing folder (the naming rule alone).
QString UniqueOutputPath(QString folder, const QString& sourcePath, const QString& suffix);

// The folder-browse action without its dialog: what to do with the folder the
// chooser returned, given the text of the output-folder box.
enum class BrowseOutcome {
    Unchanged,  // nothing chosen, or the folder already shown: nothing written
    Invalid,    // fewer than 4 characters: the user is told, nothing changes
    Accepted,   // writable: stored and shown
    Replaced,   // not writable: the user is told, the default folder is stored and shown
};
BrowseOutcome ApplyBrowsedFolder(const QString& chosen, const QString& shown, IPrompts& prompts,
                                 QString* newShown);

// The "Open" action: when the output-folder box holds more than 2 characters,
// the stored output folder is handed to the desktop. The opener is replaceable
// for tests; false when nothing was opened.
bool OpenOutputFolder(const QString& shownText);
bool OpenOutputFolder(const QString& shownText, const std::function<bool(const QString&)>& opener);

// First-show repair of "OutPutDir" or "SnapOutPutDir": a folder that is not
// writable (a missing one counts as not writable) is replaced by the default
// folder, which is written back (not created). Returns the folder in effect.
QString RepairFolderKey(const QString& key);

}  // namespace fw
