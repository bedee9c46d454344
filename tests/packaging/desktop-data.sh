#!/usr/bin/env bash
# The menu entry and the AppStream data pass their validators and carry the
# project's id and version.
set -euo pipefail
desktop="$SOURCE_DIR/desktop/$APP_ID.desktop"
metainfo="$BUILD_DIR/desktop/$APP_ID.metainfo.xml"

desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"

grep -qx 'Exec=quorvel-converter %f' "$desktop"
grep -qx "Icon=$APP_ID" "$desktop"
grep -q '^MimeType=.*video/mp4;.*video/x-matroska;' "$desktop"
for lang in de fr es it ru zh_CN; do
  for key in GenericName Comment; do
    grep -q "^$key\[$lang\]=" "$desktop" || { echo "$key has no $lang translation"; exit 1; }
  done
done
grep -q "<release version=\"$VERSION\"" "$metainfo" || { echo "no release $VERSION in the metainfo"; exit 1; }
grep -q "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$metainfo"
echo "desktop data ok"
