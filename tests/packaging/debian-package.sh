#!/usr/bin/env bash
# `cpack -G DEB` makes quorvel-converter_<version>_amd64.deb with computed
# dependencies, maintainer fields and exactly the install layout.
set -euo pipefail
mkdir -p "$TMP_BASE"
out=$(mktemp -d "$TMP_BASE/deb.XXXXXX")
trap 'rm -rf "$out"' EXIT
"$CPACK" -G DEB --config "$BUILD_DIR/CPackConfig.cmake" -B "$out" >/dev/null
deb="$out/quorvel-converter_${VERSION}_amd64.deb"
[[ -f "$deb" ]] || { echo "no $deb:"; ls "$out"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == quorvel-converter ]]
[[ $(field Version) == "$VERSION" ]] || { echo "Version: $(field Version)"; exit 1; }
[[ $(field Architecture) == amd64 ]]
[[ $(field Section) == video ]]
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || { echo "Maintainer: $(field Maintainer)"; exit 1; }
[[ -n $(field Description) && -z $(field Homepage) ]]  # no web site: no invented address
# Computed from the binary: the libraries it links, with versions.
depends=$(field Depends)
for lib in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libavformat59 libavcodec59 libavutil57 libavfilter8; do
  grep -Eq "(^|, )$lib \(>= [^)]+\)" <<<"$depends" || { echo "Depends lacks $lib: $depends"; exit 1; }
done

files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | LC_ALL=C sort)
for f in ./usr/bin/quorvel-converter ./usr/share/applications/$APP_ID.desktop \
         ./usr/share/metainfo/$APP_ID.metainfo.xml ./usr/share/icons/hicolor/scalable/apps/$APP_ID.svg \
         ./usr/share/icons/hicolor/48x48/apps/$APP_ID.png ./usr/share/icons/hicolor/128x128/apps/$APP_ID.png \
         ./usr/share/icons/hicolor/256x256/apps/$APP_ID.png \
         ./usr/share/quorvel-converter/language/English.ini ./usr/share/quorvel-converter/help/Introduction.htm; do
  grep -qxF "$f" <<<"$files" || { echo "the package lacks $f"; exit 1; }
done
stray=$(grep -v '^\./usr/\(bin/quorvel-converter\|share/\(applications\|metainfo\|icons/hicolor\|quorvel-converter\)/\)' <<<"$files" || true)
[[ -z "$stray" ]] || { echo "files the package should not hold:"; echo "$stray"; exit 1; }
echo "package ok: $(basename "$deb")"
