#!/usr/bin/env bash
# `cmake --install` into a fresh prefix lays out the FHS tree, and the
# installed program runs from it without a display.
set -euo pipefail
mkdir -p "$TMP_BASE"
prefix=$(mktemp -d "$TMP_BASE/prefix.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
"$CMAKE" --install "$BUILD_DIR" --prefix "$prefix" >/dev/null

expected="bin/quorvel-converter
share/applications/$APP_ID.desktop
share/icons/hicolor/128x128/apps/$APP_ID.png
share/icons/hicolor/256x256/apps/$APP_ID.png
share/icons/hicolor/48x48/apps/$APP_ID.png
share/icons/hicolor/scalable/apps/$APP_ID.svg
share/metainfo/$APP_ID.metainfo.xml"
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
outside=$(grep -v '^share/quorvel-converter/\(language/[^/]*\.ini\|help/[^/]*\.\(htm\|css\)\)$' <<<"$actual" || true)
if [[ "$outside" != "$expected" ]]; then
  echo "unexpected install tree:"; diff <(echo "$expected") <(echo "$outside") || true; exit 1
fi
for file in language/English.ini language/German.ini language/French.ini language/Spanish.ini \
            language/Italian.ini language/Russian_utf-8.ini language/Chinese_Simplified_utf-8.ini \
            help/Introduction.htm help/style.css; do
  [[ -f "$prefix/share/quorvel-converter/$file" ]] || { echo "missing share/quorvel-converter/$file"; exit 1; }
done

# Each icon is the size its folder says.
for size in 48 128 256; do
  file "$prefix/share/icons/hicolor/${size}x${size}/apps/$APP_ID.png" | grep -q "$size x $size" ||
    { echo "the ${size}px icon has another size"; exit 1; }
done

# The installed program, with no display at all.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/quorvel-converter" --version)
[[ "$version" == "quorvel-converter $VERSION" ]] || { echo "installed --version said: $version"; exit 1; }
echo "install tree ok"
