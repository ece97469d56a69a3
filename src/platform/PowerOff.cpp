#include "platform/PowerOff.h"

#include <QProcess>
#include <QStringList>

namespace fw {

IPowerOff::~IPowerOff() = default;

bool SystemPowerOff::PowerOff() {
    return QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
}

}  // namespace fw
