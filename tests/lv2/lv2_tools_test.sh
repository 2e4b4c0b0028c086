#!/usr/bin/env bash
# The bundle through the standard LV2 tools: lv2ls finds it, lv2info shows its ports, serdi parses its
# Turtle (the editor's too), lv2apply renders the demo input exactly as korval-host does at the same control values, and
# lv2bench runs it; `cmake --install` puts it where hosts look under the prefix.
# Usage: lv2_tools_test.sh BUNDLE_DIR KORVAL_HOST WAV_COMPARE WORK_DIR CMAKE BUILD_DIR LV2_INSTALL_DIR
set -euo pipefail
bundle="$1" host="$2" compare="$3" work="$4" cmake="$5" build="$6" installDir="$7"
uri="urn:brightmooraudio:korvaline"
export LV2_PATH="$(dirname "$bundle")"
mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

lv2ls | grep -x "$uri" >/dev/null || fail "lv2ls does not list $uri"
# An installed bundle has no build tree to find libraries in.
for module in KORVALINE.so KORVALINE_ui.so; do
  ! ldd "$bundle/$module" | grep "not found" >/dev/null || fail "$module needs a library it cannot find"
  ! ldd "$bundle/$module" | grep "libkorv" >/dev/null || fail "$module needs a library of the build tree"
done

info="$(lv2info "$uri")"
for expected in "Name:              KORVAL-Q34" "Symbol:      dry" "Symbol:      wet" "Symbol:      out" \
                "Name:        Out" "Minimum:     -15.000000" "Maximum:     15.000000" "Symbol:      latency" \
                "http://lv2plug.in/ns/lv2core#hardRTCapable" "http://lv2plug.in/ns/extensions/ui#X11UI"; do
  grep -qF -- "$expected" <<<"$info" || fail "lv2info lacks '$expected'"
done

for ttl in "$bundle"/*.ttl; do
  serdi -i turtle -o ntriples "$ttl" >"$work/$(basename "$ttl").nt" || fail "serdi cannot parse $ttl"
done
grep -q '<http://lv2plug.in/ns/extensions/units#unit> <http://lv2plug.in/ns/extensions/units#db>' \
  "$work/KORVALINE.ttl.nt" || fail "no port is in dB"

"$host" demo-input "$work/demo.wav" >/dev/null
# On a stereo source the dry path stays stereo: Dry 1, Wet 0 gives each channel back as it came.
lv2apply -i "$work/demo.wav" -o "$work/dry.wav" -c dry 1 -c wet 0 -c out 0 "$uri" || fail "lv2apply failed"
echo -n "dry path: "
"$compare" "$work/demo.wav" "$work/dry.wav" 0 || fail "the dry path does not keep each channel"
# An LV2 host's inputs are heard as their mean, an Audio Unit's first input alone: the two agree on a
# source whose channels are equal, which the unit's own dry path (its first input on both) makes.
"$host" render "$work/demo.wav" "$work/in.wav" --param Dry=1 --param Wet=0 --tail 0 >/dev/null
# Defaults, then every control set away from its default.
while read -r dry wet out; do
  "$host" render "$work/in.wav" "$work/host.wav" --param "Dry=$dry" --param "Wet=$wet" --param "Out=$out" --tail 0 >/dev/null
  lv2apply -i "$work/in.wav" -o "$work/lv2.wav" -c dry "$dry" -c wet "$wet" -c out "$out" "$uri" \
    || fail "lv2apply failed"
  echo -n "dry $dry wet $wet out $out: "
  "$compare" "$work/host.wav" "$work/lv2.wav" 1e-6 || fail "lv2apply and korval-host differ"
done <<'VALUES'
0 1 0
0.25 0.6 -4.5
VALUES

lv2bench "$uri" | grep "$uri" >/dev/null || fail "lv2bench did not run the plug-in"
# An absolute install directory (a user's ~/.lv2) is not under any prefix, and not ours to write here.
if [[ "$installDir" != /* ]]; then
  rm -rf "$work/prefix"
  "$cmake" --install "$build" --prefix "$work/prefix" >/dev/null
  LV2_PATH="$work/prefix/$installDir" lv2ls | grep -x "$uri" >/dev/null || fail "the installed bundle is not found under the prefix"
  [[ -f "$work/prefix/$installDir/KORVALINE.lv2/resources/img/bg.png" ]] || fail "the editor's pictures are not installed"
fi
echo "all LV2 tool checks passed"
