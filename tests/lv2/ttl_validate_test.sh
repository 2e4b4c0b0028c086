#!/usr/bin/env bash
# The bundle's Turtle against the LV2 schemas lv2-dev installs: sord_validate over them and the bundle
# finds no error, the bundle uses no term the schemas mark deprecated, and the plug-in has a class
# hosts file it under, names a licence and carries a release version; each CHOICES argument
# ("symbol:text,text,...") is a port lilv lists as a menu of those texts, valued 0, 1, ...
# Usage: ttl_validate_test.sh BUNDLE_DIR WORK_DIR URI CLASS_LABEL [CHOICES]...
set -euo pipefail
bundle="$1" work="$2" uri="$3" classLabel="$4"
shift 4
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir -p "$work"

mapfile -t schemas < <(dpkg-query -L lv2-dev | grep '\.ttl$' | while read -r f; do [[ -f "$f" ]] && echo "$f"; done)
schemaList="$(printf '%s\n' "${schemas[@]}")"
coreSchema="$(grep -m1 '/lv2core\.ttl$' <<<"$schemaList")" || fail "the LV2 core schema is not installed"
grep -q '/doap\.ttl$' <<<"$schemaList" || fail "the DOAP schema is not installed"

report="$(sord_validate -l "${schemas[@]}" "$bundle"/*.ttl 2>&1)" \
  || { echo "$report" >&2; fail "sord_validate found errors"; }
echo "$report"
grep -q "^Found 0 errors among" <<<"$report" || fail "sord_validate did not report a clean run"

# Deprecated terms: the schemas say so with owl:deprecated true, which sord_validate does not check.
deprecatedMark='<http://www.w3.org/2002/07/owl#deprecated> "true"^^<http://www.w3.org/2001/XMLSchema#boolean>'
for schema in "${schemas[@]}"; do serdi -i turtle -o ntriples "$schema"; done >"$work/schemas.nt" 2>/dev/null \
  || fail "serdi cannot read the schemas"
grep -F "$deprecatedMark" "$work/schemas.nt" | cut -d' ' -f1 | sort -u >"$work/deprecated.txt" || true
[[ -s "$work/deprecated.txt" ]] || fail "no deprecated term found in the schemas: the check would be empty"
# Save ui:resize: LV2 marks it deprecated without a successor, and it stays the only way an embedded
# editor tells the host its size.
grep -vxF '<http://lv2plug.in/ns/extensions/ui#resize>' "$work/deprecated.txt" >"$work/forbidden.txt"
: >"$work/bundle.nt"
for ttl in "$bundle"/*.ttl; do serdi -i turtle -o ntriples "$ttl" >>"$work/bundle.nt"; done
if used="$(grep -oFf "$work/forbidden.txt" "$work/bundle.nt")"; then
  fail "deprecated terms in use: $(sort -u <<<"$used" | tr '\n' ' ')"
fi

# Hosts list plug-ins by the classes the LV2 core defines, so lilv must know the one named.
info="$(LV2_PATH="$(dirname "$bundle"):$(dirname "$(dirname "$coreSchema")")" lv2info "$uri")"
grep -qE "^\s*Class:\s+$classLabel\$" <<<"$info" || fail "lv2info does not file the plug-in under $classLabel"
for choices in "$@"; do
  symbol="${choices%%:*}" expected="" value=0
  IFS=, read -ra texts <<<"${choices#*:}"
  for text in "${texts[@]}"; do expected+="$value = \"$text\""$'\n'; value=$((value + 1)); done
  # The port's block of lv2info's listing, its scale points by value (lilv lists them in no set order).
  listed="$(awk -v s="$symbol" '/^\tPort [0-9]+:/ { if (block ~ "Symbol: +" s "\n") print block; block = "" }
                                { block = block $0 "\n" } END { if (block ~ "Symbol: +" s "\n") print block }' <<<"$info" |
            sed -n 's/^\t\t\t\([0-9]* = ".*"\)$/\1/p' | sort -n)"
  [[ "$listed"$'\n' == "$expected" ]] || fail "port $symbol lists the choices '$listed', not '$expected'"
done
grep -qF "<$uri> <http://usefulinc.com/ns/doap#license> <" "$work/bundle.nt" || fail "the plug-in names no licence"
# LV2 takes minor version 0, or an odd minor or micro version, for a development build hosts may hide.
versionOf() {
  sed -n "s|^<$uri> <http://lv2plug.in/ns/lv2core#$1> \"\([0-9]*\)\".*|\1|p" "$work/bundle.nt"
}
minor="$(versionOf minorVersion)" micro="$(versionOf microVersion)"
[[ -n "$minor" && -n "$micro" ]] || fail "the plug-in has no version"
((minor > 0 && minor % 2 == 0 && micro % 2 == 0)) || fail "version $minor.$micro marks a development build"
echo "the bundle's Turtle is valid"
