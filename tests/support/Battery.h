// The battery that Wine reports to every process of a test run. The test
// command (scripts/battery.sh) runs Wine in a private mount namespace in
// which a tmpfs covers /sys/class/power_supply with a battery BAT0 and a mains
// supply AC; Wine reads those files afresh at every power-status call, so what
// is written here is what the next GetSystemPowerStatus of the program under
// test reports. Every change fails, with the reason on stderr, when the folder
// is not the faked one: a test never runs at the host's battery by accident.
#pragma once
#include <string>

namespace battery {

// Full charge in µAh, voltage in µV and discharge current in µA; the energy
// files hold charge times voltage, in µWh, as the kernel's do.
constexpr long long kChargeFull = 5000000;
constexpr long long kVoltage = 11000000;
constexpr long long kCurrent = 1000000;

// Whether the faked folder is there.
bool faked();

// The starting state that scripts/battery.sh also writes: full (100 %),
// discharging, mains offline, every file of BAT0 and AC in place.
[[nodiscard]] bool restore();
// Charge and energy for nPercent of the full charge; above 100 as well, as
// some drivers report.
[[nodiscard]] bool setLevel(unsigned nPercent);
// BAT0's status: "Charging" or "Discharging".
[[nodiscard]] bool setCharging(bool bCharging);
[[nodiscard]] bool setMains(bool bOnline);

// One file of BAT0 rewritten or removed, for the batteries that report oddly.
[[nodiscard]] bool write(const wchar_t* pszFile, const std::string& strValue);
[[nodiscard]] bool remove(const wchar_t* pszFile);
// The whole BAT0 entry removed: a machine without a battery, mains still
// reported. With removeMains too the folder holds no supply at all.
[[nodiscard]] bool removeBattery();
[[nodiscard]] bool removeMains();

// What a file of BAT0 holds, without its line end; empty when it is missing.
std::string read(const wchar_t* pszFile);

} // namespace battery
