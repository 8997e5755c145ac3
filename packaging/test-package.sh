#!/usr/bin/env bash
# The package check: makes the Debian package from a built tree, has lintian and the desktop
# validators judge it, unpacks it into a temporary root and runs the installed programs there.
# Usage: test-package.sh BUILD_DIR VERSION APP_ID
set -euo pipefail

build_dir=$1
version=$2
app_id=$3

fail() {
    echo "package test: $*" >&2
    exit 1
}

need() {
    command -v "$1" >/dev/null 2>&1 || fail "$1 is missing; install the Debian package $2 (scripts/setup.sh does)"
}
need cpack cmake
need dpkg-deb dpkg
need dpkg-shlibdeps dpkg-dev
need lintian lintian
need desktop-file-validate desktop-file-utils
need appstreamcli appstream
need update-mime-database shared-mime-info
need pdftotext poppler-utils
need readelf binutils

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== making the package"
cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
arch=$(dpkg --print-architecture)
deb="$work/out/zarneditor_${version}_${arch}.deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$work/out")"

echo "== control fields"
[ "$(dpkg-deb -f "$deb" Package)" = zarneditor ] || fail "wrong package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# The libraries' packages, as dpkg-shlibdeps found them; the editor's own library is inside.
for pkg in libc6 libqt6widgets6 libqt6printsupport6 libsqlite3-0 libx11-6; do
    [[ ", $depends," == *", $pkg "* || ", $depends," == *", $pkg,"* ]] ||
        fail "Depends lacks $pkg"
done
[[ "$depends" != *zarnhex* ]] || fail "Depends names the editor's own library"

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" | tee "$work/lintian.log" ||
    fail "lintian reports errors"

echo "== contents"
root="$work/root"
dpkg-deb -x "$deb" "$root"
for file in \
    usr/bin/zarneditor usr/bin/grimlet usr/lib/zarneditor/libzarnhex.so \
    "usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml" \
    usr/share/mime/packages/zarneditor.xml \
    "usr/share/icons/hicolor/16x16/apps/$app_id.png" "usr/share/icons/hicolor/32x32/apps/$app_id.png" \
    "usr/share/icons/hicolor/48x48/apps/$app_id.png" "usr/share/icons/hicolor/64x64/apps/$app_id.png" \
    "usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
    usr/share/man/man1/zarneditor.1.gz usr/share/man/man1/grimlet.1.gz \
    usr/share/doc/zarneditor/copyright usr/share/doc/zarneditor/changelog.gz \
    usr/share/zarneditor/examples/example.zarn usr/share/zarneditor/examples/MAIN.IDX; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done
# A private library: not where the dynamic linker looks for everybody's libraries.
if find "$root/usr/lib" -maxdepth 2 -name '*.so*' ! -path "$root/usr/lib/zarneditor/*" | grep -q .; then
    fail "a library outside /usr/lib/zarneditor"
fi
runpath=$(readelf -d "$root/usr/bin/zarneditor" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
[ "$runpath" = '$ORIGIN/../lib/zarneditor' ] || fail "the editor's run path is '$runpath'"
for page in zarneditor grimlet; do
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH \"$page\" \"1\"" ||
        fail "$page.1.gz is no manual page of $page"
done

echo "== desktop entry, metadata, file type"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "appstreamcli validate"
mkdir -p "$work/mime/packages"
cp "$root/usr/share/mime/packages/zarneditor.xml" "$work/mime/packages/"
update-mime-database "$work/mime" >"$work/mime.log" 2>&1 || { cat "$work/mime.log" >&2; fail "update-mime-database"; }
grep -qx '50:text/x-zarn:\*\.zarn' "$work/mime/globs2" || fail "*.zarn is not text/x-zarn"
grep -qx 'text/x-zarn text/plain' "$work/mime/subclasses" || fail "text/x-zarn is no text/plain"

echo "== the installed programs"
# As a user would run them: no display, the user's own settings elsewhere, and nothing of the
# build tree on the library path.
run() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH \
        HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
        XDG_RUNTIME_DIR="$work/home/run" "$@"
}
mkdir -p "$work/home/run"
chmod 700 "$work/home/run"
examples="$root/usr/share/zarneditor/examples"
examples_before=$(cd "$examples" && sha256sum ./*)

[ "$(run "$root/usr/bin/zarneditor" --version)" = "zarneditor $version" ] || fail "zarneditor --version"
[ "$(run "$root/usr/bin/grimlet" --version)" = "grimlet $version" ] || fail "grimlet --version"

run env LD_DEBUG=libs "$root/usr/bin/zarneditor" /pt "$examples/example.zarn" "$work/example.pdf" \
    2>"$work/loader.log" || { tail -20 "$work/loader.log" >&2; fail "zarneditor /pt failed"; }
grep -q "calling init: $root/usr/bin/../lib/zarneditor/libzarnhex.so" "$work/loader.log" ||
    fail "the installed editor did not load the installed libzarnhex.so: $(grep zarnhex "$work/loader.log" | head -5)"
pdftotext "$work/example.pdf" - | grep -q 'GID 1000' || fail "the printed example lacks its header"

records=$(run "$root/usr/bin/grimlet" list "$examples/MAIN.IDX" | sort | tr '\n' ' ')
[ "$records" = "1000 1001 2040 32-105 " ] || fail "grimlet list gave: $records"

[ "$(cd "$examples" && sha256sum ./*)" = "$examples_before" ] || fail "the installed examples were written"
echo "package test: $(basename "$deb") passed"
