#!/bin/sh
# Installs what the machine lacks, builds, installs into ./prefix (the
# installation folder plus the machine configuration that points at it) and
# starts the desktop program with that configuration.
set -e
cd "$(dirname "$0")/.."
. scripts/packages.sh
tarn_install_packages
cmake --preset default
cmake --build --preset default
cmake --install build --prefix "$PWD/prefix"
export XDG_CONFIG_DIRS="$PWD/prefix/etc/xdg${XDG_CONFIG_DIRS:+:$XDG_CONFIG_DIRS}"
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ] && [ -z "$QT_QPA_PLATFORM" ]; then
    echo "No display found: starting under a virtual X server (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$PWD/prefix/bin/tarncps" "$@"
fi
exec "$PWD/prefix/bin/tarncps" "$@"
