# Shared by scripts/run and scripts/test: installs what is missing from Debian's packages and
# configures and builds one flavour of the project under build/.
set -euo pipefail

ORVEX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ORVEX_JOBS="${ORVEX_JOBS:-$(nproc 2>/dev/null || echo 2)}"

ORVEX_PACKAGES=(
    g++ clang libclang-rt-14-dev cmake ninja-build pkg-config
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins
    portaudio19-dev libasound2-dev libasound2-plugins locales
)

orvex_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

orvex_install_packages() {
    local missing=()
    local package
    for package in "${ORVEX_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    orvex_as_root apt-get update -qq
    orvex_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# orvex_build DIR BUILD_TYPE [CMAKE ARGS...]
orvex_build() {
    local dir="$1" type="$2"
    shift 2
    cmake -S "$ORVEX_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    cmake --build "$dir" -j "$ORVEX_JOBS"
}
