#!/usr/bin/env bash
# The Debian package of TREMEX (cpack -G DEB) holds the installed program under /usr, its
# desktop entry, MIME type and icon, and declares what it needs to run.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d /tmp/tremex-package-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v $tool >/dev/null || fail "$tool missing (dpkg-dev, scripts/install-deps.sh)"
done

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$scratch/cpack.log")"
deb=$(ls "$scratch"/tremex_*_amd64.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no package in $scratch: $(cat "$scratch/cpack.log")"

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/lib/tremex/Tremex3 ./usr/lib/tremex/tremrun ./usr/lib/tremex/libtremcalc.so \
         ./usr/lib/tremex/halfspace.bmp ./usr/bin/Tremex3 ./usr/bin/tremrun \
         ./usr/share/applications/tremex3.desktop ./usr/share/mime/packages/tremex3.xml \
         ./usr/share/icons/hicolor/48x48/apps/tremex3.png ./usr/share/icons/hicolor/256x256/apps/tremex3.png; do
  grep -qx "$f" <<<"$files" || fail "$f not in the package"
done
# Nothing of the build or the tests.
if grep -E 'tests|_shots|gtest|/tmp' <<<"$files"; then fail "the package holds build files"; fi

depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6charts6 libqt6openglwidgets6 libqt6printsupport6 libc6 libstdc++6 qt6-qpa-plugins; do
  grep -q "\b$d\b" <<<"$depends" || fail "Depends lacks $d: $depends"
done

# The packaged entry names the packaged program and is valid.
mkdir "$scratch/root"
dpkg-deb -x "$deb" "$scratch/root"
entry=$scratch/root/usr/share/applications/tremex3.desktop
grep -qx "Exec=/usr/bin/Tremex3 %f" "$entry" || fail "Exec of the packaged entry: $(grep ^Exec= "$entry")"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$entry" || fail "desktop-file-validate"; fi
echo "ok $(basename "$deb"): $(wc -l <<<"$files") entries; Depends: $depends"
