# Debian packages the build and the tests need, and a function that installs what is missing.
# Sourced by the scripts in this folder.
WUMPO_PACKAGES=(
    cmake make                                    # the build
    g++-mingw-w64-i686 binutils-mingw-w64-i686    # 32-bit Windows compiler, windres: the deliverable
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 # 64-bit Windows compiler: the build that runs here
    wine64 fonts-wine                             # runs the 64-bit programs and tests; caption glyphs
    xvfb xauth                                    # a virtual X display for the windows under test
    doctest-dev                                   # the unit-test framework (header only)
    imagemagick                                   # screenshots of the virtual display as PNG
    zip unzip                                     # release packages
    clang-format                                  # the committed code style
)

wumpo_install_packages() {
    local missing=() p
    for p in "${WUMPO_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# Stops the Wine server of a prefix and the Xvfb that wine-run may have started for it.
wumpo_stop_prefix() {
    local prefix=$1 server=${2:-/usr/lib/wine/wineserver}
    [[ -d $prefix ]] && WINEPREFIX=$prefix "$server" -k 2>/dev/null || true
    if [[ -f $prefix.xvfb ]]; then
        local pid display
        read -r pid display <"$prefix.xvfb" && kill "$pid" 2>/dev/null || true
        rm -f "$prefix.xvfb"
    fi
}
