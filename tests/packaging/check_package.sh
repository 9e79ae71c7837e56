#!/usr/bin/env bash
# Makes the Debian package from the build tree into a temporary folder and checks it: the files
# it holds, the dependencies found from the binaries, the maintainer scripts, and that the
# unpacked tree runs (it finds its skin and defaults beside the binaries' folder and renders the
# device pages on the virtual devices). Prints the size and the file list at the end.
#
#   check_package.sh BUILD_DIR CPACK VERSION
set -euo pipefail
build=$1 cpack=$2 version=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack did not make the package" >&2
  exit 1
fi
mapfile -t debs < <(find "$work/out" -maxdepth 2 -name '*.deb')
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one .deb, found: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}

# ---- the file list
dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./|/|' >"$work/list"
expected=(
  /usr/bin/corvane
  /usr/bin/corvane-ctl
  /usr/lib/udev/rules.d/70-corvane.rules
  /usr/share/applications/org.corvane.Corvane.desktop
  /usr/share/metainfo/org.corvane.Corvane.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/corvane.svg
  /usr/share/man/man1/corvane.1.gz
  /usr/share/man/man1/corvane-ctl.1.gz
  /usr/share/corvane/skin/main.xml
  /usr/share/corvane/skin/lan_en.xml
  /usr/share/corvane/skin/lan_cn.xml
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/corvane.png")
done
for f in kbkeydefault.pro kbdengdefault.led msdevicedefault.config msdengdefault.led mskeydefault.pro \
         mpdengdefault.led name_1.cur name_2.cur name_3.cur name_4.cur; do
  expected+=("/usr/share/corvane/defaults/$f")
done
for f in "${expected[@]}"; do
  grep -qxF "$f" "$work/list" || fail "the package lacks $f"
done
# Nothing outside the program's places, and none of the build's own tools.
while read -r f; do
  case "$f" in
    /|/usr/|/usr/bin/|/usr/bin/corvane|/usr/bin/corvane-ctl) ;;
    /usr/lib/|/usr/lib/udev/|/usr/lib/udev/rules.d/|/usr/lib/udev/rules.d/70-corvane.rules) ;;
    /usr/share/|/usr/share/applications/*|/usr/share/metainfo/*|/usr/share/icons/*|/usr/share/man/*) ;;
    /usr/share/corvane/|/usr/share/corvane/skin/*|/usr/share/corvane/defaults/*) ;;
    *) fail "unexpected file in the package: $f" ;;
  esac
  case "$f" in
    *.py|*/tools/*|*/required_*.txt) fail "a build tool or test list in the package: $f" ;;
  esac
done <"$work/list"

# ---- the control fields and scripts
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libudev1 libstdc++6; do
  [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib (shlibdeps): $depends"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is not $version"
dpkg-deb -e "$deb" "$work/control"
for script in postinst postrm; do
  [ -x "$work/control/$script" ] || fail "no executable $script"
done
grep -q 'trigger --subsystem-match=hidraw' "$work/control/postinst" || fail "postinst does not re-trigger hidraw"

# ---- the unpacked tree runs
dpkg-deb -x "$deb" "$work/root"
bin=$work/root/usr/bin
[ "$("$bin/corvane" --version)" = "corvane $version" ] || fail "corvane --version"
[ "$("$bin/corvane-ctl" --version)" = "corvane-ctl $version" ] || fail "corvane-ctl --version"
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
if ! env -u CORVANE_HOME HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run" \
     QT_QPA_PLATFORM=offscreen timeout 120 \
     "$bin/corvane" --virtual-devices="$work/memory" --screenshots="$work/shots" >"$work/run.log" 2>&1; then
  cat "$work/run.log" >&2
  fail "the unpacked program did not run"
fi
for page in keyboard mouse mouse-dpi mousepad; do
  [ -s "$work/shots/corvane-$page.png" ] || fail "the unpacked program wrote no $page page"
done

# ---- the manual pages name every option and every command
# Each page is read once: "grep -q" stops reading at its first match, and with pipefail the
# writer cut short by that (SIGPIPE) would fail the check at random once the page is large.
man_text() { gzip -dc "$work/root/usr/share/man/man1/$1.1.gz" | tr -d '\\'; }
corvane_man=$(man_text corvane)
ctl_man=$(man_text corvane-ctl)
for flag in $("$bin/corvane" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p'); do
  grep -qF -- "$flag" <<<"$corvane_man" || fail "corvane.1 does not describe $flag"
done
for verb in $("$bin/corvane-ctl" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z-]*\).*/\1/p' | sort -u); do
  grep -qE "^\.BI? \"?$verb( |\"|$)" <<<"$ctl_man" || fail "corvane-ctl.1 does not describe $verb"
done

if ((failures)); then exit 1; fi
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "Depends: $depends"
grep -v '/$' "$work/list" | grep -v '^/usr/share/corvane/skin/'
echo "/usr/share/corvane/skin/: $(grep -c '^/usr/share/corvane/skin/.*[^/]$' "$work/list") files"
