# Shared by scripts/test and scripts/run: installs what the build needs and
# builds the dev preset. Source it; it changes to the project's top folder.

set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."

# Everything a fresh Debian 12 machine lacks to build, test and run the app.
# pkexec, polkitd and dbus serve the test that runs an action through the
# real polkit; nodejs runs the stand-in server program; xvfb gives the test
# that takes the app's display away an X server to take. The last line checks
# the installed files and builds the Debian package: validators for the
# desktop entry, the AppStream metainfo and the polkit policy, an SVG
# renderer for the icon, and what cpack needs to work out the dependencies.
# The outside-in suite (tests/desktop) drives the app on a desktop of its own:
# a window manager, the AT-SPI bus and Python's bindings for it, xdotool as
# the keyboard (xmodmap gives it keys for the non-ASCII letters typed), xclip
# for the clipboard, xprop to see the desktop come up.
# The administrator authentication test makes a user (passwd) and answers
# polkit through its text agent, which it reaches through Python's GObject
# bindings.
TARNWICK_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev fonts-dejavu-core
  nodejs
  pkexec polkitd dbus xvfb
  desktop-file-utils appstream libxml2-utils librsvg2-bin dpkg-dev file
  openbox at-spi2-core python3 python3-pyatspi xdotool xclip x11-utils x11-xserver-utils
  passwd python3-gi gir1.2-polkit-1.0
)
# What scripts/fuzz adds: clang with its libFuzzer and sanitizer runtimes.
TARNWICK_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# What scripts/bench needs beyond that: the X library its start-up watcher
# talks to the X server with.
TARNWICK_BENCH_PACKAGES=(libxcb1-dev)

tarnwick_missing_packages() {
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
      printf '%s\n' "$package"
    fi
  done
}

tarnwick_install_packages() {
  local missing
  mapfile -t missing < <(tarnwick_missing_packages "$@")
  [ "${#missing[@]}" -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

tarnwick_build() {
  local preset=$1
  cmake --preset "$preset"
  cmake --build --preset "$preset" --parallel "$(nproc)"
}
