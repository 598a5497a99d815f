# Sourced by the scripts whose Wine side must run at a battery level they set
# (tests, demo, benchmark), never at the host's: that side runs in a private
# mount namespace where a tmpfs covers /sys/class/power_supply and holds a
# battery BAT0 and a mains supply AC, which Wine reads afresh at every
# power-status call. The user's own run (scripts/run.sh) does not use it.
#
#   voltrim_battery_enter "$0" "$@"
#                               a command's first steps: check, install, build,
#                               then run the command again inside the namespace
#   voltrim_battery_check       finds how this host can make such a namespace;
#                               stops the script with what is missing if none
#   voltrim_battery_reenter "$0" "$@"
#                               runs the calling script again inside one (does
#                               not return)
#   voltrim_battery_faked       true in the re-run script (and what it starts)
#   voltrim_battery_set_level N writes the level, in percent, from the shell
#
# The battery starts full (100 %), discharging, mains offline; its files are
# those of tests/support/Battery.cpp, which the test programs rewrite through
# drive Z:. Run as a program, this file is the namespace's first step:
# `battery.sh inside COMMAND...` mounts and fills the folder, then runs COMMAND.

VOLTRIM_BATTERY_DIR=/sys/class/power_supply
# Present only in the faked folder: a test that finds it is not reading the
# host's battery.
VOLTRIM_BATTERY_MARKER=$VOLTRIM_BATTERY_DIR/voltrim-fake-battery

# Full charge in µAh, voltage in µV, current in µA; energy in µWh is charge
# times voltage, as the kernel reports it.
VOLTRIM_BATTERY_CHARGE_FULL=5000000
VOLTRIM_BATTERY_VOLTAGE=11000000
VOLTRIM_BATTERY_CURRENT=1000000

voltrim_battery_faked() { [ -n "${VOLTRIM_BATTERY_FAKED:-}" ] && [ -f "$VOLTRIM_BATTERY_MARKER" ]; }

# One file's new content, renamed into place so that Wine never reads it half
# written.
voltrim_battery_write() {
  printf '%s\n' "$2" >"$1.new" && mv -f "$1.new" "$1"
}

voltrim_battery_set_level() {
  local bat=$VOLTRIM_BATTERY_DIR/BAT0 charge
  charge=$((VOLTRIM_BATTERY_CHARGE_FULL * $1 / 100))
  voltrim_battery_write "$bat/energy_now" $((charge * VOLTRIM_BATTERY_VOLTAGE / 1000000))
  voltrim_battery_write "$bat/charge_now" "$charge"
}

# The starting state, in a folder that holds nothing else.
voltrim_battery_default() {
  local bat=$VOLTRIM_BATTERY_DIR/BAT0 ac=$VOLTRIM_BATTERY_DIR/AC f
  mkdir -p "$bat" "$ac"
  for f in type:Battery scope:System status:Discharging present:1 \
           charge_full:$VOLTRIM_BATTERY_CHARGE_FULL \
           energy_full:$((VOLTRIM_BATTERY_CHARGE_FULL * VOLTRIM_BATTERY_VOLTAGE / 1000000)) \
           voltage_now:$VOLTRIM_BATTERY_VOLTAGE current_now:$VOLTRIM_BATTERY_CURRENT; do
    voltrim_battery_write "$bat/${f%%:*}" "${f#*:}"
  done
  voltrim_battery_set_level 100
  voltrim_battery_write "$ac/type" Mains
  voltrim_battery_write "$ac/online" 0
}

# The ways to a private mount namespace, most direct first: as root a mount
# namespace alone; otherwise an unprivileged user namespace that keeps the
# caller's own user id (so that Wine finds its prefix and its server folder
# owned by the same user), or one that maps the caller to root.
voltrim_battery_check() {
  local ways errors="" out
  if [ "$(id -u)" -eq 0 ]; then
    ways=("--mount")
  else
    ways=("--user --map-current-user --keep-caps --mount" "--user --map-root-user --mount")
  fi
  if [ ! -d "$VOLTRIM_BATTERY_DIR" ]; then
    echo "error: $VOLTRIM_BATTERY_DIR is missing (no sysfs here): the tests fake the battery by covering it." >&2
    exit 1
  fi
  for VOLTRIM_BATTERY_UNSHARE in "${ways[@]}"; do
    # shellcheck disable=SC2086
    if out=$(unshare $VOLTRIM_BATTERY_UNSHARE sh -c "mount -t tmpfs none '$VOLTRIM_BATTERY_DIR'" 2>&1); then
      return 0
    fi
    errors+="  unshare $VOLTRIM_BATTERY_UNSHARE: ${out:-failed}"$'\n'
  done
  {
    echo "error: Voltrim's tests, demo and benchmark run Wine at a battery level they set,"
    echo "in a private mount namespace with a tmpfs over $VOLTRIM_BATTERY_DIR; this host allows none:"
    printf '%s' "$errors"
    if [ "$(id -u)" -eq 0 ]; then
      echo "In a container, give it CAP_SYS_ADMIN (e.g. docker run --cap-add SYS_ADMIN, or --privileged)."
    else
      echo "Run the command as root, or allow unprivileged user namespaces:"
      echo "  sudo sysctl kernel.unprivileged_userns_clone=1                (Debian kernels)"
      echo "  sudo sysctl user.max_user_namespaces=15000                    (if it is 0)"
      echo "  sudo sysctl kernel.apparmor_restrict_unprivileged_userns=0    (Ubuntu 23.10 and later)"
    fi
  } >&2
  exit 1
}

# In a command's first run: checks that a namespace can be made, installs
# what is missing (with the package sets named in VOLTRIM_PACKAGE_SETS, e.g.
# "bench"), builds, and runs the command again inside the namespace. In that
# second run it returns at once.
voltrim_battery_enter() {
  voltrim_battery_faked && return 0
  voltrim_battery_check
  local scripts
  scripts=$(dirname "${BASH_SOURCE[0]}")
  # shellcheck disable=SC2086
  "$scripts/install-deps.sh" ${VOLTRIM_PACKAGE_SETS:-}
  "$scripts/build.sh"
  voltrim_battery_reenter "$@"
}

voltrim_battery_reenter() {
  [ -n "${VOLTRIM_BATTERY_UNSHARE:-}" ] || voltrim_battery_check
  # shellcheck disable=SC2086
  exec unshare $VOLTRIM_BATTERY_UNSHARE bash "${BASH_SOURCE[0]}" inside bash "$@"
}

if [ "${BASH_SOURCE[0]}" = "$0" ] && [ "${1:-}" = inside ]; then
  set -euo pipefail
  shift
  mount -t tmpfs -o mode=0755,size=1m voltrim-battery "$VOLTRIM_BATTERY_DIR"
  echo "A battery faked for Voltrim's tests; Wine reads BAT0 and AC." >"$VOLTRIM_BATTERY_MARKER"
  voltrim_battery_default
  export VOLTRIM_BATTERY_FAKED=1
  # Capabilities kept for the mount end here: the command runs as the user.
  if [ "$(id -u)" -ne 0 ]; then
    exec setpriv --inh-caps=-all --ambient-caps=-all "$@"
  fi
  exec "$@"
fi
