// The format file is data supplied with the program. When the user's
// application-data folder has none, the shipped one is copied there; an
// existing file, edited or not, is never overwritten.
#pragma once

#include <QString>
#include <QStringList>

namespace fw {

// Where the shipped format file is looked for, in order: beside the
// executable (a build tree) and in ../share/framewright (an installation).
QStringList ShippedFormatFileCandidates();

// Copies the shipped format file to targetPath when no file is there. True
// when a file is in place afterwards; otherwise *error says why.
bool InstallFormatFile(const QString& targetPath, QString* error);

// InstallFormatFile for the application-data folder of this user.
bool EnsureFormatFileInstalled(QString* error);

}  // namespace fw
