# Shared set-up for run.sh and test.sh: install what is missing from Debian's packages,
# then configure and build one tree. Sourced, not run.

ZARN_PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev
    fonts-liberation2 fonts-dejavu-core
    poppler-utils
    libx11-dev
    scdoc dpkg-dev lintian desktop-file-utils appstream shared-mime-info
)

zarn_install_missing() {
    local missing=() pkg
    for pkg in "${ZARN_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "Missing packages: ${missing[*]}; install them as root (sudo is not available)." >&2
            return 1
        fi
        sudo=(sudo)
    fi
    echo "Installing missing packages: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"
}

# zarn_build DIR [CMAKE ARGS...]
zarn_build() {
    local dir=$1
    shift
    cmake -S "$ZARN_ROOT" -B "$ZARN_ROOT/$dir" -G Ninja "$@" &&
        cmake --build "$ZARN_ROOT/$dir" --parallel "$(nproc)"
}
