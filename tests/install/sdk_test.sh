#!/usr/bin/env bash
# The installed tree as users and plug-in developers get it. `cmake --install` for the prefix /opt/korval
# into a staging folder (DESTDIR) holds korval-host with its manual page, both plug-ins' component and
# LV2 bundles, the docs and the SDK, and nothing in it names the build tree. Run from there, away from
# any build tree, korval-host opens the installed KORVALINE; LV2 tools find both plug-ins. The example,
# copied alone into an empty folder, builds against the staged SDK (so the package is relocatable); its
# LV2 bundle lists its presets and its editor needs no library of the SDK, and the installed korval-host
# validates its component and renders through it as through the one built in this tree. The example
# instrument, copied alone the same way, builds too, its LV2 bundle is filed as an instrument, and its
# component validates and plays the built-in phrase as the one built in this tree.
# Usage: sdk_test.sh BUILD_DIR SOURCE_DIR WORK_DIR CMAKE GENERATOR WAV_COMPARE
set -euo pipefail
build="$1" source="$2" work="$3" cmake="$4" generator="$5" compare="$6"
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"

DESTDIR="$work/stage" "$cmake" --install "$build" --prefix /opt/korval >/dev/null
prefix="$work/stage/opt/korval"
for file in bin/korval-host share/man/man1/korval-host.1 share/doc/korvaline/README.md \
            share/doc/korvaline/writing-a-plugin.md lib/korval/components/KORVALINE.component/Contents/Info.plist \
            lib/korval/components/SLANTWISE.component/Contents/MacOS/SLANTWISE lib/lv2/KORVALINE.lv2/KORVALINE.so \
            lib/lv2/SLANTWISE.lv2/presets.ttl lib/cmake/Korval/KorvalConfig.cmake include/korval/framework/plug_binding.h \
            share/korval/examples/slantwise/CMakeLists.txt share/korval/examples/mothwing/CMakeLists.txt \
            lib/lv2/MOTHWING.lv2/MOTHWING.so lib/korval/components/MOTHWING.component/Contents/Info.plist; do
  [[ -f "$prefix/$file" ]] || fail "the install lacks $file"
done
[[ ! -e "$prefix/lib/lv2/KORVALINE.lv2/presets.ttl" ]] || fail "KORVALINE has no factory presets, yet its bundle has some"
if named="$(grep -rlF "$build" "$prefix")"; then fail "installed files name the build tree: $named"; fi

host="$prefix/bin/korval-host"
cd "$work"
"$host" info | grep "subtype 'Kor1' manufacturer 'Brmo'" >/dev/null || fail "the installed korval-host does not open KORVALINE"
LV2_PATH="$prefix/lib/lv2" lv2ls >"$work/lv2ls.txt"
for uri in urn:brightmooraudio:korvaline urn:quillmereaudio:slantwise urn:quillmereaudio:mothwing; do
  grep -qx "$uri" "$work/lv2ls.txt" || fail "lv2ls does not list the installed $uri"
done

mkdir "$work/myplug"
cp -r "$source/examples/slantwise/." "$work/myplug/"
"$cmake" -S "$work/myplug" -B "$work/myplug/build" -G "$generator" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" >"$work/configure.log" || { cat "$work/configure.log"; fail "the example does not configure"; }
grep -qxF "Korval_DIR:PATH=$prefix/lib/cmake/Korval" "$work/myplug/build/CMakeCache.txt" || fail "another SDK was found"
"$cmake" --build "$work/myplug/build" >"$work/build.log" || { cat "$work/build.log"; fail "the example does not build"; }
bundles="$work/myplug/build/bundles"
! ldd "$bundles/lv2/SLANTWISE.lv2/SLANTWISE_ui.so" | grep -E "libkorv|not found" || fail "the LV2 editor needs the SDK's libraries"
presets="$(LV2_PATH="$bundles/lv2" lv2info urn:quillmereaudio:slantwise | sed -n '/Presets:/,/^$/p')"
grep -qw Warm <<<"$presets" && grep -qw Bright <<<"$presets" || fail "lv2info lists the presets '$presets'"

"$host" --bundle "$bundles/SLANTWISE.component" validate >"$work/validate.txt" || { cat "$work/validate.txt"; fail "validation failed"; }
"$host" demo-input "$work/in.wav" >/dev/null
"$host" --bundle "$bundles/SLANTWISE.component" render "$work/in.wav" "$work/sdk.wav" --param Tilt=3 --param Mode=Steep >/dev/null
"$build/host/korval-host" --bundle "$build/bundles/SLANTWISE.component" render "$work/in.wav" "$work/tree.wav" \
  --param Tilt=3 --param Mode=Steep >/dev/null
"$compare" "$work/tree.wav" "$work/sdk.wav" 1e-6 || fail "the example built on the SDK renders otherwise"
mkdir "$work/myinstrument"
cp -r "$source/examples/mothwing/." "$work/myinstrument/"
"$cmake" -S "$work/myinstrument" -B "$work/myinstrument/build" -G "$generator" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" >"$work/configure.log" || { cat "$work/configure.log"; fail "the instrument does not configure"; }
"$cmake" --build "$work/myinstrument/build" >"$work/build.log" || { cat "$work/build.log"; fail "the instrument does not build"; }
core="$(dpkg-query -L lv2-dev | sed -n 's|/core\.lv2/lv2core\.ttl$||p')"
LV2_PATH="$work/myinstrument/build/bundles/lv2:$core" lv2info urn:quillmereaudio:mothwing | grep -E '^\s*Class:\s+Instrument Plugin$' >/dev/null \
  || fail "the instrument built on the SDK is not filed as an instrument"
"$host" --bundle "$work/myinstrument/build/bundles/MOTHWING.component" validate >"$work/validate.txt" \
  || { cat "$work/validate.txt"; fail "the instrument built on the SDK does not validate"; }
"$host" demo-midi "$work/phrase.mid" >/dev/null
"$host" --bundle "$work/myinstrument/build/bundles/MOTHWING.component" render --midi "$work/phrase.mid" "$work/sdk-instrument.wav" >/dev/null
"$build/host/korval-host" --bundle "$build/bundles/MOTHWING.component" render --midi "$work/phrase.mid" "$work/tree-instrument.wav" >/dev/null
cmp -s "$work/tree-instrument.wav" "$work/sdk-instrument.wav" || fail "the instrument built on the SDK plays otherwise"
echo "the installed tree and the SDK work from outside the build tree"
