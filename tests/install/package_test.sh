#!/usr/bin/env bash
# The Debian packages scripts/package makes from this build: each holds what it should and no file of
# the other, the plug-ins' package depends on the shared libraries it links and the SDK's on it, lintian
# finds no error, and both unpacked into an empty root (dpkg-deb -x) render through their own
# korval-host and its own KORVALINE exactly as the build does, with LV2 tools finding both plug-ins.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -euo pipefail
build="$1" source="$2" work="$3"
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"

"$source/scripts/package" --build "$build" --out "$work/out" >/dev/null
plugins=("$work"/out/korvaline_*.deb) sdk=("$work"/out/korvaline-dev_*.deb)
[[ -f "${plugins[0]}" && -f "${sdk[0]}" ]] || fail "scripts/package made $(ls "$work/out")"

contents() { dpkg-deb -c "$1" | awk '{print $6}' | sed 's|^\./|/|'; }
contents "${plugins[0]}" >"$work/plugins.txt"
contents "${sdk[0]}" >"$work/sdk.txt"
expect() {
  local list="$1"; shift
  for file in "$@"; do grep -qxF "$file" "$work/$list.txt" || fail "$list package lacks $file"; done
}
expect plugins /usr/bin/korval-host /usr/share/man/man1/korval-host.1.gz /usr/lib/korval/libkorv_platform.so \
  /usr/lib/korval/components/KORVALINE.component/Contents/MacOS/KORVALINE /usr/lib/lv2/KORVALINE.lv2/KORVALINE_ui.so \
  /usr/lib/lv2/SLANTWISE.lv2/presets.ttl /usr/share/doc/korvaline/copyright /usr/share/doc/korvaline/changelog.gz
expect sdk /usr/lib/cmake/Korval/KorvalConfig.cmake /usr/lib/korval/libkorv_framework.a \
  /usr/include/korval/framework/plug_binding.h /usr/share/doc/korvaline-dev/copyright
if shared="$(comm -12 <(grep -v '/$' "$work/plugins.txt" | sort) <(grep -v '/$' "$work/sdk.txt" | sort) | grep .)"; then
  fail "both packages hold $shared"
fi
depends="$(dpkg-deb -f "${plugins[0]}" Depends)"
for library in libc6 libstdc++6 libplist3 libsndfile1 libx11-6 libpng16-16; do
  grep -q "\b$library\b" <<<"$depends" || fail "the plug-ins' package does not depend on $library: $depends"
done
grep -q "korvaline (= $(dpkg-deb -f "${plugins[0]}" Version))" <<<"$(dpkg-deb -f "${sdk[0]}" Depends)" \
  || fail "the SDK does not depend on the plug-ins' package of its version"

# lintian exits 1 when it reports errors, 2 when it could not check.
status=0
report="$(lintian --tag-display-limit 0 "${plugins[0]}" "${sdk[0]}" 2>&1)" || status=$?
if ((status > 1)); then echo "$report" >&2; fail "lintian did not run"; fi
if ((status == 1)) || grep -q "^E:" <<<"$report"; then echo "$report" >&2; fail "lintian reports errors"; fi

root="$work/root"
dpkg-deb -x "${plugins[0]}" "$root"
dpkg-deb -x "${sdk[0]}" "$root"
cd "$work"
"$root/usr/bin/korval-host" demo-input in.wav >/dev/null
"$root/usr/bin/korval-host" render in.wav package.wav --param Wet=0.5 >/dev/null
"$build/host/korval-host" render in.wav build.wav --param Wet=0.5 >/dev/null
cmp -s package.wav build.wav || fail "the packaged korval-host renders otherwise than the build"
"$root/usr/bin/korval-host" --bundle "$root/usr/lib/korval/components/MOTHWING.component" validate >validate.txt \
  || { cat validate.txt; fail "the packaged instrument does not validate"; }
LV2_PATH="$root/usr/lib/lv2" lv2ls >lv2ls.txt
grep -qx urn:brightmooraudio:korvaline lv2ls.txt && grep -qx urn:quillmereaudio:slantwise lv2ls.txt \
  || fail "lv2ls lists $(tr '\n' ' ' <lv2ls.txt)"
echo "the packages hold what they should, lintian finds no error and the unpacked tree renders"
