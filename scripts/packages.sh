# Debian packages the build and the tests need, and functions that install what is missing.
# Sourced by the scripts in this folder.
WUMPO_NATIVE_PACKAGES=(
    cmake make g++                                # the build; the native one with the host compiler
    clang libclang-rt-14-dev                      # the fuzz targets: libFuzzer and the sanitizers
    doctest-dev                                   # the unit-test framework (header only)
    rapidjson-dev                                 # wumpo-tool's pack files and JSON (header only)
    zlib1g-dev                                    # wumpo-tool's PNG: inflate, deflate, checksums
    g++-multilib lib32asan8 lib32ubsan1 lib32z1-dev # the native32 build: gcc -m32, its sanitizers, zlib
    imagemagick                                   # pictures of every kind for the picture tests; screenshots
    dpkg-dev file                                 # CPack's .deb: dpkg-shlibdeps, which needs file
    lintian                                       # the .deb checked as a distribution checks it
    clang-format                                  # the committed code style
    python3-jsonschema                            # the pack file's schema held against the tool
)
WUMPO_PACKAGES=(
    "${WUMPO_NATIVE_PACKAGES[@]}"
    g++-mingw-w64-i686 binutils-mingw-w64-i686    # 32-bit Windows compiler, windres: the deliverable
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 # 64-bit Windows compiler: the build that runs here
    libz-mingw-w64-dev                            # zlib for both Windows builds, linked statically
    wine64 fonts-wine                             # runs the 64-bit programs and tests; caption glyphs
    xvfb xauth                                    # a virtual X display for the windows under test
)

# Installs every package of both stages, and any named as arguments.
wumpo_install_packages() {
    wumpo_install_list "${WUMPO_PACKAGES[@]}" "$@"
}

# Installs the packages of the native build alone.
wumpo_install_native_packages() {
    wumpo_install_list "${WUMPO_NATIVE_PACKAGES[@]}"
}

wumpo_install_list() {
    local missing=() p
    for p in "$@"; do
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

# Makes 32-bit x86 programs run through qemu-user-static, which the kernel is told to use for them
# (binfmt_misc, with the F flag so that the interpreter is found from any mount namespace), and
# installs it and the packages named (an ":i386" one adds that architecture). Prints why and
# returns 1 where this machine cannot be made to run them.
wumpo_enable_i386_emulation() {
    if [[ $(id -u) -ne 0 ]]; then
        echo "32-bit programs: needs root to register qemu for 32-bit programs"
        return 1
    fi
    if [[ "$*" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    local missing=() p
    for p in qemu-user-static "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    if [[ ${#missing[@]} -gt 0 ]]; then
        echo "Installing: ${missing[*]}"
        apt-get update -qq &&
            DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
                "${missing[@]}" >/dev/null || {
            echo "32-bit programs: could not install ${missing[*]}"
            return 1
        }
    fi
    if [[ ! -e /proc/sys/fs/binfmt_misc/register ]]; then
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || {
            echo "32-bit programs: cannot mount binfmt_misc"
            return 1
        }
    fi
    local entry=/proc/sys/fs/binfmt_misc/qemu-i386
    if [[ ! -e $entry ]]; then
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            >/proc/sys/fs/binfmt_misc/register 2>/dev/null || {
            echo "32-bit programs: cannot register qemu-i386 with binfmt_misc"
            return 1
        }
    elif [[ $(head -1 "$entry") != enabled ]]; then
        echo 1 >"$entry"
    fi
}

# The 32-bit build runs here only emulated: the i386 Wine loader (wine32) through qemu-user-static.
# Prints why and returns 1 where this machine cannot be made to run it.
wumpo_enable_win32() {
    wumpo_enable_i386_emulation wine32:i386 || return 1
    /usr/lib/wine/wine --version >/dev/null 2>&1 || {
        echo "32-bit programs: the 32-bit Wine loader does not start"
        return 1
    }
}

# Runs a command (the native32 stage) so that the 32-bit x86 programs it starts run on the
# kernel's own 32-bit support, never through the qemu-i386 entry that wumpo_enable_win32
# registers for every i386 program: under qemu the sanitized tests take minutes where they take
# milliseconds natively, and the address sanitizer hardly starts. Where the kernel gives a user
# namespace a binfmt_misc of its own (Linux 6.7 on), the command runs in one that has no entry,
# and the machine's entry stays as it is for everything else running meanwhile (another build's
# 32-bit Wine, say). On older kernels an enabled entry is switched off for the command and on
# again after it, whatever the command's outcome. Returns the command's status.
wumpo_run_native32() {
    if unshare --user --map-root-user --mount sh -c \
        'mount -t binfmt_misc none /proc/sys/fs/binfmt_misc && ! ls /proc/sys/fs/binfmt_misc | grep -qv "^register$\|^status$"' \
        2>/dev/null; then
        unshare --user --map-root-user --mount bash -c \
            'mount -t binfmt_misc none /proc/sys/fs/binfmt_misc && exec "$@"' wumpo_run_native32 "$@"
        return
    fi
    local entry=/proc/sys/fs/binfmt_misc/qemu-i386
    if [[ ! -e $entry ]] || [[ $(head -1 "$entry") != enabled ]]; then
        "$@"
        return
    fi
    if [[ $(id -u) -ne 0 ]]; then
        echo "native32: the qemu-i386 entry would run the 32-bit tests emulated; switching it off needs root" >&2
        return 1
    fi
    (
        trap 'echo 1 >"$entry"' EXIT
        echo 0 >"$entry"
        "$@"
    )
}
