// What every command that converts or reads settings does around its work:
// the global object exists for the command's lifetime (as it does for the
// main window's), the format file is installed when missing, and the media
// libraries are checked.
#pragma once

#include "app/GlobalUnit.h"

#include <memory>

namespace fw::cli {

class CliSession {
public:
    explicit CliSession(bool needEngine = true);
    bool Ready() const { return ready_; }

private:
    GlobalObjectScope scope_;
    bool ready_ = false;
};

}  // namespace fw::cli
