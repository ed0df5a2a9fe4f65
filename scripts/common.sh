# Shared by run.sh, test.sh and .ci/run: installs what the build needs on a
# Debian machine and builds the project.

PACKAGES=(
    build-essential
    cmake
    qtbase5-dev
    qttools5-dev
    qttools5-dev-tools
    libqt5serialbus5-dev
    libqt5charts5-dev
    python3-pymodbus
    fonts-dejavu-core
    fonts-wqy-microhei
    qttranslations5-l10n
    ninja-build
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "error: installing packages needs root: $*" >&2
        return 1
    fi
}

install_packages() {
    local missing=()
    local package installed
    # One query for all: one a package costs a second on every run.
    installed="$(dpkg-query -W -f='${Package} ${Status}\n' "${PACKAGES[@]}" 2>/dev/null |
        awk '/ install ok installed$/ { print $1 }')"
    for package in "${PACKAGES[@]}"; do
        grep -qxF "$package" <<<"$installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if ! as_root apt-get install -y --no-install-recommends "${missing[@]}"; then
        as_root apt-get update
        as_root apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

# A build with nothing to do takes Ninja a tenth of a second; Make walks
# every target's rules for seconds. A build directory keeps the generator
# it was made with.
export CMAKE_GENERATOR="${CMAKE_GENERATOR:-Ninja}"

# build DIR [cmake options...]
# Configures only for a new build directory or new options: the build itself
# configures again when a CMakeLists.txt has changed.
build() {
    local dir="$1"
    shift
    if [ ! -f "$dir/CMakeCache.txt" ] || [ $# -gt 0 ]; then
        cmake -S "$ROOT" -B "$dir" "$@"
    fi
    cmake --build "$dir" --parallel "$(nproc)"
}
