// Switching the computer off after a batch. Behind an interface so that tests
// can never power the machine off.
#pragma once

namespace fw {

class IPowerOff {
  public:
    virtual ~IPowerOff();
    // Asks the system to power off; false when the request could not be made.
    virtual bool PowerOff() = 0;
};

// Starts "systemctl poweroff" as a program with an argument list (no shell);
// logind decides whether the user may do so.
class SystemPowerOff : public IPowerOff {
  public:
    bool PowerOff() override;
};

}  // namespace fw
