# Debian 12 packages the project builds, tests and runs with. Sourced by the
# set-up and test scripts; installs only what is missing.
TARN_PACKAGES="build-essential cmake ninja-build pkg-config python3 xvfb xauth fonts-dejavu-core
  qt6-base-dev qt6-declarative-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libgl-dev libxml2-dev libxml2-utils libxslt1-dev libftdi1-dev libgtest-dev libbenchmark-dev"

tarn_install_packages() {
    missing=""
    for package in $TARN_PACKAGES; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
}
