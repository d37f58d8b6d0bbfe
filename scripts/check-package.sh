#!/usr/bin/env bash
# Builds the Debian package from a configured and built build folder and checks it: lintian
# without errors, the files it installs, the desktop entry and metainfo valid, and the program
# unpacked into a throw-away root started headless far enough to make its program folder
# (~/KnjigeLumen, mode 0700, with tvrtke.mdb) in a throw-away home.
#   scripts/check-package.sh [build folder]      (default: build)
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="$(cd "${1:-$source_dir/build}" && pwd)"

fail() { echo "PAKET: $*" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The package into a folder of its own, so an older one never stands in for it.
(cd "$build_dir" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack nije napravio paket"; }
debs=("$work"/out/knjigelumen_*.deb)
[ -f "${debs[0]}" ] || fail "nema paketa u $work/out"
deb="${debs[0]}"
echo "paket: $(basename "$deb") ($(du -k "$deb" | cut -f1) kB)"

# Dependencies from shlibdeps: Qt and SQLite by their library packages.
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6printsupport6 libsqlite3-0 libc6 qt6-qpa-plugins; do
    grep -q "$lib" <<<"$depends" || fail "Depends ne navodi $lib"
done

root="$work/root"
dpkg -x "$deb" "$root"
for f in usr/bin/knjigelumen \
         usr/share/applications/knjigelumen.desktop \
         usr/share/metainfo/hr.knjigelumen.KnjigeLumen.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/knjigelumen.svg \
         usr/share/man/man1/knjigelumen.1.gz \
         usr/share/doc/knjigelumen/copyright \
         usr/share/doc/knjigelumen/changelog.gz \
         usr/share/doc/knjigelumen/prirucnik.md; do
    [ -f "$root/$f" ] || fail "u paketu nema $f"
done
for size in 16 24 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/knjigelumen.png"
    [ -f "$png" ] || fail "nema ikone ${size}x${size}"
    file "$png" | grep -q "$size x $size" || fail "ikona ${size}x${size} nije te veličine"
done
[ -x "$root/usr/bin/knjigelumen" ] || fail "program nije izvršna datoteka"
# Every picture the guide shows is in the package.
while read -r picture; do
    [ -f "$root/usr/share/doc/knjigelumen/$picture" ] || fail "priručnik pokazuje $picture, a nema je"
done < <(grep -o '](slike/[^)]*)' "$source_dir/docs/prirucnik.md" | sed 's/^](//; s/)$//')

if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --explain \
        "$root/usr/share/metainfo/hr.knjigelumen.KnjigeLumen.metainfo.xml" >"$work/as.log" 2>&1 ||
        { cat "$work/as.log" >&2; fail "metainfo nije valjan"; }
fi

# lintian: no errors; its warnings are shown.
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log" >&2; fail "lintian javlja greške"; }
if [ -s "$work/lintian.log" ]; then
    echo "lintian:"; grep -v "running with root privileges" "$work/lintian.log" || true
fi

# The unpacked program starts as installed: its data go to ~/KnjigeLumen of a fresh home.
home="$work/home"
mkdir -m 700 "$home"
out="$(env -u KNJIGE_LUMEN_DIR -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" \
    QT_QPA_PLATFORM=offscreen KNJIGE_LUMEN_STARTUP_PROBE=1 \
    timeout 60 "$root/usr/bin/knjigelumen" 2>"$work/run.log")" ||
    { cat "$work/run.log" >&2; fail "program se nije pokrenuo"; }
grep -qx tvrtke <<<"$out" || { cat "$work/run.log" >&2; fail "program nije prikazao popis tvrtki"; }
folder="$home/KnjigeLumen"
[ -d "$folder" ] || fail "program nije napravio $folder"
[ "$(stat -c %a "$folder")" = 700 ] || fail "$folder nije 0700 nego $(stat -c %a "$folder")"
[ -f "$folder/tvrtke.mdb" ] || fail "u $folder nema tvrtke.mdb"
[ ! -e "$root/usr/bin/tvrtke.mdb" ] || fail "program je pisao podatke pokraj sebe"
echo "program: pokrenut, podaci u ~/KnjigeLumen (0700) s tvrtke.mdb"
echo "PAKET: u redu"
