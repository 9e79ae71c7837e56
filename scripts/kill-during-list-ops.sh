#!/usr/bin/env bash
# Kills Corvane with SIGKILL at a random moment (0-80 ms) after each profile list operation, on
# the virtual devices, and checks after every kill that the profile lists on disk are whole:
# every index file parses, each count matches its names, the keyboard's two lists have the same
# length (only paired operations run on it here) and every named profile file exists.
#   scripts/kill-during-list-ops.sh [KILLS] [BUILD_DIR]      (100, build)
# Builds nothing. Prints one line per kill that left something wrong, then a summary; exit
# status 1 when any did.
set -uo pipefail
cd "$(dirname "$0")/.."
kills=${1:-100}
bin=$(realpath "${2:-build}")/bin
[[ -x $bin/corvane && -x $bin/corvane-ctl ]] || { echo "no corvane in $bin; build first" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-kills.XXXXXX")
trap 'kill -9 "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
data="$HOME/Documents/Gaming Keyboard"
ctl() { "$bin/corvane-ctl" "$@" >/dev/null 2>&1; }

# family: folder index-file count-section name-section extension
families=(
  "kb kbProfile.ini PROFILEDENGCOUNT PROFILEDENGNAME .led"
  "kb kbProfile.ini PROFILECOUNT PROFILENAME .pro"
  "ms msProfile.ini PROFILEDEVICECOUNT PROFILEDEVICENAME .config"
  "ms msProfile.ini PROFILEDENGCOUNT PROFILEDENGNAME .led"
  "ms msProfile.ini PROFILECOUNT PROFILENAME .pro"
  "mp mpProfile.ini PROFILEDENGCOUNT PROFILEDENGNAME .led"
)

# Prints "key=value" lines of one section of an INI file.
section() { awk -v s="[$2]" '/^\[/ { on = ($0 == s); next } on && /=/' "$1"; }

# Prints what is wrong with the lists on disk, nothing when they are whole.
check() {
  local folder file count_s names_s ext index count i name kb_lengths=()
  for row in "${families[@]}"; do
    read -r folder file count_s names_s ext <<<"$row"
    index="$data/$folder/$file"
    [[ -e $index ]] || continue
    [[ -f $index && -r $index ]] || { echo "$file: not a readable file"; continue; }
    count=$(section "$index" "$count_s" | sed -n 's/^count=//p' | head -1)
    [[ $count =~ ^[0-9]+$ ]] || { echo "$file [$count_s]: count '$count' is no number"; continue; }
    [[ $folder == kb ]] && kb_lengths+=("$count")
    for ((i = 0; i < count; i++)); do
      name=$(section "$index" "$names_s" | sed -n "s/^$i=//p" | head -1)
      if [[ -z $name ]]; then
        echo "$file [$names_s]: count $count but no name $i"
      elif [[ ! -f "$data/$folder/$name$ext" ]]; then
        echo "$file [$names_s]: $name$ext is named but missing"
      fi
    done
  done
  if ((${#kb_lengths[@]} == 2)) && [[ ${kb_lengths[0]} != "${kb_lengths[1]}" ]]; then
    echo "kbProfile.ini: the keyboard's lists differ in length (${kb_lengths[0]} and ${kb_lengths[1]})"
  fi
}

start() {
  "$bin/corvane" --virtual-devices="$work/memory" --no-screenshots >>"$work/corvane.log" 2>&1 &
  pid=$!
  for ((t = 0; t < 100; t++)); do ctl wait connected kb 200 && break; sleep 0.1; done
  ctl wait connected ms && ctl wait connected mp && ctl boxes auto confirm && ctl dialog /usr/bin/true
}

# The list operations, as the user makes them: the device's tab and profile panel are opened
# first, untimed; the last command is the operation the kill races.
operations=(
  "kb|click kb_pro_deng_add_btn"
  "kb|click kb_pro_key_sub_btn"
  "ms|click ms_pro_key_add_btn"
  "ms|click ms_pro_device_sub_btn"
  "mp|click mp_pro_deng_copy_btn"
  "ms|click ms_pro_key_edit_btn;text ms_key_profile_name_edit renamed @;click ms_key_profile_edit_save_btn"
  "ms|click ms_pro_device_add_btn"
  "ms|select ms_key_profile_link_check on"
)
prepare() {
  local device=$1 steps=$2
  ctl select "${device}_tab" on && ctl click "${device}_profile_fun_spread_btn" || echo "cannot open the $device panel" >&2
  # Every step but the last runs now.
  steps=${steps//@/$RANDOM}  # a fresh name for each rename
  while [[ $steps == *";"* ]]; do
    ctl ${steps%%;*} || echo "failed: ${steps%%;*}" >&2
    steps=${steps#*;}
  done
  last=$steps
}

bad=0
for ((k = 1; k <= kills; k++)); do
  start
  IFS='|' read -r device steps <<<"${operations[RANDOM % ${#operations[@]}]}"
  prepare "$device" "$steps"
  ctl $last &
  sleep "0.0$(printf '%02d' $((RANDOM % 81)))"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  wait
  if problems=$(check) && [[ -n $problems ]]; then
    bad=$((bad + 1))
    echo "kill $k: $problems"
  fi
done
lengths=()
for row in "${families[@]}"; do
  read -r folder file count_s _ <<<"$row"
  lengths+=("$(section "$data/$folder/$file" "$count_s" 2>/dev/null | sed -n 's/^count=//p' | head -1)")
done
echo "$kills kills, $bad left the profile lists damaged; list lengths at the end: ${lengths[*]}"
((bad == 0))
