#!/usr/bin/env bash
# The Debian packages of this build (yarrow and yarrow-hub): made with CPack,
# their contents and control data, the validators that are installed (desktop-file-validate,
# appstreamcli, lintian; each is skipped with a note when missing), the
# command lines of the unpacked programs, the unpacked hub started as the
# service starts it, and the unpacked yarrow started
# headless with a fresh home, which must make and fill the per-user folder
# and load the plug-ins from the unpacked tree.
# Usage: package_test.sh BUILD_DIR DESKTOP_ID VERSION. Exit 77: skipped.
set -uo pipefail
build=$1 id=$2 version=$3

for tool in cpack dpkg-deb; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# Whether a child is still running (an ended one stays a zombie until waited for).
running() {
    [ -r "/proc/$1/status" ] && ! grep -q "^State:.*Z" "/proc/$1/status"
}
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
deb="$work/out/yarrow_${version}_amd64.deb"
hubdeb="$work/out/yarrow-hub_${version}_amd64.deb"
for file in "$deb" "$hubdeb"; do
    [ -f "$file" ] || { ls "$work/out"; echo "FAIL: no $file"; exit 1; }
done

# --- Control data -----------------------------------------------------------
[ "$(dpkg-deb -f "$deb" Package)" = yarrow ] || fail "package name"
[ "$(dpkg-deb -f "$hubdeb" Package)" = yarrow-hub ] || fail "hub package name"
for file in "$deb" "$hubdeb"; do
    [ "$(dpkg-deb -f "$file" Version)" = "$version" ] || fail "version of $file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libqt6network6 "yarrow-hub (= $version)"; do
    [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib (dpkg-shlibdeps): $depends"
done
# A server installs the hub without any GUI library.
hubdepends=$(dpkg-deb -f "$hubdeb" Depends)
[[ "$hubdepends" == *libc6* ]] || fail "the hub's Depends lacks libc6: $hubdepends"
[[ "$hubdepends" == *qt* || "$hubdepends" == *libx11* ]] && fail "the hub depends on Qt or X: $hubdepends"
dpkg-deb -e "$hubdeb" "$work/control"
if [ -f "$work/control/postinst" ] && grep -q "enable" "$work/control/postinst"; then
    fail "the hub service must not be enabled on installation"
fi

# --- Contents -----------------------------------------------------------------
# Each file in one package only (dpkg refuses to install two packages that
# share a file); together they hold what the program needs.
contents() { dpkg-deb -c "$1" | awk '$6 !~ /\/$/ {print $6}' | sed 's|^\./|/|'; }
contents "$hubdeb" >"$work/hub.contents"
contents "$deb" >"$work/gui.contents"
shared=$(sort "$work/hub.contents" "$work/gui.contents" | uniq -d)
[ -z "$shared" ] || fail "files in both packages: $shared"
cat "$work/hub.contents" "$work/gui.contents" >"$work/contents"
for path in /usr/bin/yarrow-hub /usr/share/yarrow/Deck.ini /usr/lib/systemd/system/yarrow-hub.service \
    /usr/share/man/man1/yarrow-hub.1.gz /usr/share/doc/yarrow-hub/copyright; do
    grep -qxF "$path" "$work/hub.contents" || fail "$path is not in the hub package"
done
expected=(
    /usr/bin/yarrow /usr/bin/yarrow-hub
    /usr/share/yarrow/Deck.ini /usr/share/yarrow/Chart.ini /usr/share/yarrow/ChipFile.ini
    /usr/share/yarrow/ChipDoor.bmp /usr/share/yarrow/help/index.html
    /usr/lib/yarrow/Plugin/Kestrel.so /usr/lib/yarrow/Plugin/Brightmoor.so
    /usr/lib/yarrow/Plugin/GeneralDice.so
    "/usr/share/applications/$id.desktop" "/usr/share/metainfo/$id.metainfo.xml"
    "/usr/share/icons/hicolor/scalable/apps/$id.svg"
    /usr/share/man/man1/yarrow.1.gz /usr/share/man/man1/yarrow-hub.1.gz
    /usr/lib/systemd/system/yarrow-hub.service
    /usr/share/doc/yarrow/copyright /usr/share/doc/yarrow/changelog.gz
    /usr/share/doc/yarrow-hub/changelog.gz
)
for size in 16 24 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for path in "${expected[@]}"; do
    grep -qxF "$path" "$work/contents" || fail "missing $path"
done
# Test fixtures and build leftovers stay out.
if grep -E 'SameTag|TagOnly|/tests?/|CMake|\.a$' "$work/contents"; then
    fail "files that do not belong in the package"
fi

root="$work/root"
dpkg-deb -x "$hubdeb" "$root"
dpkg-deb -x "$deb" "$root"
unit="$root/usr/lib/systemd/system/yarrow-hub.service"
for key in "ExecStart=/usr/bin/yarrow-hub " "DynamicUser=yes" "StateDirectory=yarrow-hub" \
    "NoNewPrivileges=yes" "ProtectSystem=strict" "ProtectHome=yes" "PrivateTmp=yes"; do
    grep -q "^$key" "$unit" || fail "the unit lacks $key"
done
desktop="$root/usr/share/applications/$id.desktop"
for key in "Name=" "Name\[ja\]=" "Comment=" "Comment\[ja\]=" "Exec=yarrow %u" \
    "MimeType=.*x-scheme-handler/yarrow;" "Icon=$id"; do
    grep -q "^$key" "$desktop" || fail "the desktop entry lacks $key"
done

# --- Validators ---------------------------------------------------------------
if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
    [ -z "$out" ] || echo "desktop-file-validate: $out"
else
    echo "NOTE: desktop-file-validate not installed, not run"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" ||
        fail "appstreamcli validate"
else
    echo "NOTE: appstreamcli not installed, not run"
fi
if command -v lintian >/dev/null; then
    # Errors fail; warnings are shown.
    lintian --fail-on error --no-tag-display-limit "$deb" "$hubdeb" || fail "lintian reports errors"
else
    echo "NOTE: lintian not installed, not run"
fi

# --- The unpacked programs' command lines ---------------------------------------
check_exit() {  # expected-status output-file program args...
    local want=$1 out=$2
    shift 2
    "$@" >"$out" 2>"$out.err"
    local got=$?
    [ "$got" = "$want" ] || fail "$* exited $got, not $want: $(cat "$out.err")"
}
export QT_QPA_PLATFORM=offscreen
for program in yarrow yarrow-hub; do
    exe="$root/usr/bin/$program"
    check_exit 0 "$work/version" "$exe" --version
    grep -q "0.54t" "$work/version" || fail "$program --version: $(cat "$work/version")"
    check_exit 0 "$work/help" "$exe" --help
    grep -q "^usage: $program" "$work/help" || fail "$program --help lacks the usage"
    check_exit 2 "$work/bad" "$exe" --no-such-option
    grep -q "usage: $program" "$work/bad.err" || fail "$program: no usage on stderr"
    [ -s "$work/bad" ] && fail "$program: the usage of a bad option went to stdout"
done

# --- The unpacked hub as the service runs it: an empty --home folder ---------------
# Its Deck.ini comes from the installed data then. The deck line is written
# before the listening line, so once that is there the deck line is too.
mkdir -p "$work/hubhome"
"$root/usr/bin/yarrow-hub" --port 0 --home "$work/hubhome" >"$work/hub.out" 2>"$work/hub.err" &
pid=$!
for _ in $(seq 600); do
    grep -q "listening on port" "$work/hub.out" && break
    running "$pid" || break
    sleep 0.1
done
grep -q "listening on port" "$work/hub.out" || fail "yarrow-hub did not listen: $(cat "$work/hub.err")"
grep -q "^deck .* with [1-9][0-9]* cards" "$work/hub.err" ||
    fail "yarrow-hub did not read the installed Deck.ini: $(cat "$work/hub.err")"
kill "$pid"
wait "$pid"
[ $? = 0 ] || fail "yarrow-hub did not end cleanly on SIGTERM"
pid=

# --- The unpacked yarrow's first start in a fresh home -----------------------------
home="$work/home"
user="$home/.local/share/yarrow"
mkdir -p "$user"
printf 'my own table\r\n' >"$user/Chart.ini"
(
    cd "$work"
    exec env -u XDG_DATA_HOME -u YARROW_HOME HOME="$home" "$root/usr/bin/yarrow" \
        >"$work/yarrow.out" 2>&1
) &
pid=$!
# The settings file is written when the window is made; the plug-ins are
# loaded right after. Waiting for both is waiting for start-up, not for luck.
for _ in $(seq 600); do
    if [ -f "$user/Yarrow.ini" ] && grep -q "$root/usr/lib/yarrow/Plugin/Kestrel.so" \
        "/proc/$pid/maps" 2>/dev/null; then
        break
    fi
    running "$pid" || break
    sleep 0.1
done
running "$pid" || fail "yarrow ended at start-up: $(cat "$work/yarrow.out")"
grep -q "$root/usr/lib/yarrow/Plugin/Kestrel.so" "/proc/$pid/maps" 2>/dev/null ||
    fail "the installed plug-ins were not loaded"
kill "$pid"
wait "$pid" 2>/dev/null
pid=
[ -f "$user/Yarrow.ini" ] || fail "no settings file in the per-user folder"
for file in Deck.ini ChipFile.ini ChipTree.bmp help/index.html; do
    cmp -s "$root/usr/share/yarrow/$file" "$user/$file" || fail "$file not copied into $user"
done
[ "$(cat "$user/Chart.ini")" = $'my own table\r' ] || fail "the user's Chart.ini was overwritten"
[ -d "$user/Plugin" ] || fail "no per-user Plugin folder"
[ -d "$user/Log" ] || fail "no log folder in the per-user folder"
if [ -n "$(find "$root" -newer "$deb" -type f)" ]; then
    fail "yarrow wrote into its installed tree: $(find "$root" -newer "$deb" -type f)"
fi

[ "$failed" = 0 ] && echo "packages $(basename "$deb") and $(basename "$hubdeb") passed"
exit "$failed"
