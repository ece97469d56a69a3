// Setting the option records' fields by name from text ("FrameSize" =
// "320x240"), for the command line and for scripted tests.
#pragma once

#include "engine/EngineTypes.h"

#include <QString>
#include <QStringList>

namespace fw::engine {

// False with *error when the field does not exist or the value does not fit
// its type. Names are the records' field names; the metadata fields of the
// output record are "Metadata.Title", "Metadata.Year" and so on.
bool SetInputField(TInputOptions& record, const QString& name, const QString& value,
                   QString* error);
bool SetOutputField(TOutputOptions& record, const QString& name, const QString& value,
                    QString* error);
QStringList InputFieldNames();
QStringList OutputFieldNames();

}  // namespace fw::engine
