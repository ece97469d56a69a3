// The option records as "Field=value" lines, for the command line's dry run:
// one line for every field that differs from its default, named as in the
// records.
#pragma once

#include "engine/EngineTypes.h"

#include <QStringList>

namespace fw {

QStringList DescribeInputOptions(const engine::TInputOptions& in);
QStringList DescribeOutputOptions(const engine::TOutputOptions& out);

}  // namespace fw
