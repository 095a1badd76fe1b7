# Shared by scripts/test and scripts/run: installs what the build needs and
# builds the dev preset. Source it; it changes to the project's top folder.

set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."

# Everything a fresh Debian 12 machine lacks to build, test and run the app.
# Qt's translation tools build the translations and check them (with
# python3); Qt's own translations serve the tests in German and French.
# pkexec, polkitd and dbus serve the test that runs an action through the
# real polkit; nodejs runs the stand-in server program; xvfb gives the test
# that takes the app's display away an X server to take. Qt draws the window
# icon, an SVG, with the plugin in libqt6svg6; the private headers let a test
# turn the mouse wheel as the window system does. Then what checks the
# installed files and builds the Debian package: validators for the desktop
# entry, the AppStream metainfo, the polkit policy and the manual page, an
# SVG renderer for the icon, what cpack needs to work out the dependencies,
# and lintian. Then what runs the app as a Wayland client of a headless
# weston (with a seat module built against libweston, in C) and reads its
# window through AT-SPI and its clipboard with wl-paste. The last line serves
# the outside-in suite (tests/desktop), which drives the app on a desktop of
# its own: a window manager, xdotool as the keyboard (xmodmap gives it keys
# for the non-ASCII letters typed), xclip for the clipboard, xprop to see the
# desktop come up; and the administrator authentication test, which makes a
# user (passwd) and answers polkit through its text agent, reached through
# Python's GObject bindings.
TARNWICK_PACKAGES=(
  cmake gcc g++ make pkg-config
  qt6-base-dev qt6-base-private-dev libqt6svg6 libsimdjson-dev qt6-tools-dev qt6-l10n-tools
  qt6-translations-l10n fonts-dejavu-core python3
  nodejs
  pkexec polkitd dbus xvfb
  desktop-file-utils appstream libxml2-utils man-db librsvg2-bin dpkg-dev file lintian
  weston libweston-10-dev qt6-wayland wl-clipboard at-spi2-core python3-pyatspi
  openbox xdotool xclip x11-utils x11-xserver-utils passwd python3-gi gir1.2-polkit-1.0
)
# What scripts/check-package adds: a tool to make a minimal Debian tree.
TARNWICK_CHECK_PACKAGE_PACKAGES=(mmdebstrap)
# What scripts/fuzz adds: clang; then libFuzzer and the sanitizer runtimes,
# which come in a package per clang version (tarnwick_clang_runtime_package).
TARNWICK_FUZZ_PACKAGES=(clang)
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

# The package with libFuzzer and the sanitizer runtimes for the installed
# clang++, the compiler the fuzz preset names.
tarnwick_clang_runtime_package() {
  local version
  version=$(clang++ -dumpversion) || return 1
  [[ $version =~ ^[0-9]+ ]] || {
    echo "clang++ -dumpversion printed no version: $version" >&2
    return 1
  }
  printf 'libclang-rt-%s-dev\n' "${version%%.*}"
}

tarnwick_build() {
  local preset=$1
  cmake --preset "$preset"
  cmake --build --preset "$preset" --parallel "$(nproc)"
}
