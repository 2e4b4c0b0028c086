#!/usr/bin/env bash
# A real host renders through the built bundle: ecasound runs the demo input, made dual-mono, through
# the plug-in, at the defaults and with every control away from its default at a block size that is no
# power of two, and its output must be bit-identical to korval-host's render of the same file at the
# same values.
# Usage: ecasound_render_test.sh BUNDLE_DIR KORVAL_HOST WAV_COMPARE WORK_DIR
set -euo pipefail
bundle="$1" host="$2" compare="$3" work="$4"
uri="urn:brightmooraudio:korvaline"
export LV2_PATH="$(dirname "$bundle")"
mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

# -x: ecasound otherwise updates an existing output in place and keeps whatever lay past the new end.
"$host" demo-input "$work/stereo.wav" >/dev/null
ecasound -q -x -i "$work/stereo.wav" -chcopy:1,2 -f:f32_le -o "$work/in.wav" >/dev/null \
  || fail "ecasound cannot copy the input"
while read -r block dry wet out; do
  "$host" render "$work/in.wav" "$work/host.wav" --param "Dry=$dry" --param "Wet=$wet" --param "Out=$out" \
    --tail 0 >/dev/null
  ecasound -q -x -b:"$block" -i "$work/in.wav" -elv2:"$uri,$dry,$wet,$out" -f:f32_le -o "$work/ecasound.wav" \
    >/dev/null || fail "ecasound failed"
  echo -n "block $block, dry $dry wet $wet out $out: "
  "$compare" "$work/host.wav" "$work/ecasound.wav" 0 || fail "ecasound and korval-host differ"
done <<'VALUES'
1024 0 1 0
100 0.25 0.6 -4.5
VALUES
echo "ecasound renders as korval-host does"
