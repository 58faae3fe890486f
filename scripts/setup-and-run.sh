#!/bin/sh
# Installs what the machine lacks, builds, installs into ./prefix (the
# installation folder plus the machine configuration that points at it) and
# starts the desktop program with that configuration, with a simulated radio
# attached on a virtual cable so the Device menu has a radio to talk to.
set -e
cd "$(dirname "$0")/.."
. scripts/packages.sh
tarn_install_packages
cmake --preset default
cmake --build --preset default
cmake --install build --prefix "$PWD/prefix"
export XDG_CONFIG_DIRS="$PWD/prefix/etc/xdg${XDG_CONFIG_DIRS:+:$XDG_CONFIG_DIRS}"

# The simulated radio: a virtual cable in a private folder, gone when the
# program ends.
TARNCPS_VIRTUAL_CABLES=$(mktemp -d "${TMPDIR:-/tmp}/tarncps-cables.XXXXXX")
export TARNCPS_VIRTUAL_CABLES
"$PWD/prefix/bin/tarncps-radiosim" --folder "$TARNCPS_VIRTUAL_CABLES" --quiet &
simulator=$!
trap 'kill $simulator 2>/dev/null; rm -rf "$TARNCPS_VIRTUAL_CABLES"' EXIT INT TERM

if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ] && [ -z "$QT_QPA_PLATFORM" ]; then
    echo "No display found: starting under a virtual X server (xvfb-run)."
    xvfb-run -a -s "-screen 0 1280x800x24" "$PWD/prefix/bin/tarncps" "$@"
else
    "$PWD/prefix/bin/tarncps" "$@"
fi
