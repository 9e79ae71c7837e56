#!/usr/bin/env bash
# Renders every device page and sub-page offscreen, in English and Chinese and at scale 2, for a
# look at the skin. Usage: skin/tools/shots.sh <build-dir> [out-dir]
set -euo pipefail
bin="$1/bin"
out="${2:-/tmp/corvane-shots}"
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
shot() {  # name, then skinshot arguments
  local name="$1"; shift
  for lang in en cn; do
    "$bin/corvane-skinshot" --skin "$bin/skin" --show kb_tab --show ms_tab --show mp_tab \
      --lang "$lang" "$@" --out "$out/${name}_${lang}.png" >/dev/null 2>&1
  done
  "$bin/corvane-skinshot" --skin "$bin/skin" --show kb_tab --show ms_tab --show mp_tab \
    --scale 2 "$@" --out "$out/${name}_x2.png" >/dev/null 2>&1
}
shot kb_deng --select kb_tab --select kb_deng_Op_tab
shot kb_deng_custom --select kb_tab --select kb_deng_Op_tab --show kb_deng_custom_tool_layout
shot kb_key --select kb_tab --select kb_key_Op_tab
shot kb_key_fn --select kb_tab --select kb_key_Op_tab --show kb_tab_function
shot kb_macro --select kb_tab --select kb_macro_Op_tab
shot kb_macro_mouse --select kb_tab --select kb_macro_Op_tab --select kb_macro_btn_shubiao \
  --hide kb_MacroName --show kb_MacroMouseEvent --show kb_macro_tab_saveorcancel
shot kb_profiles --select kb_tab --show kb_profile_fun_spead_tab --show kb_deng_profile_edit \
  --show kb_deng_profile_link_name_hor
shot ms_deng --select ms_tab --select ms_deng_Op_tab --show ms_deng_same_mode
shot ms_key --select ms_tab --select ms_key_Op_tab
shot ms_key_fn --select ms_tab --select ms_key_Op_tab --show ms_tab_function
shot ms_macro --select ms_tab --select ms_macro_Op_tab
shot ms_dpi --select ms_tab --select ms_rich_Op_tab
shot ms_cursor --select ms_tab --select ms_cursor_Op_tab
shot ms_profiles --select ms_tab --show ms_profile_fun_spead_tab
shot mp_deng --select mp_tab --show mp_deng_same_mode
shot mp_profiles --select mp_tab --show mp_profile_fun_spead_tab
for lang in en cn; do
  "$bin/corvane-skinshot" --skin "$bin/skin" --layout XML_MSG --lang "$lang" --out "$out/msgbox_${lang}.png" >/dev/null 2>&1
  "$bin/corvane-skinshot" --skin "$bin/skin" --layout skin.xml --lang "$lang" --out "$out/skinpicker_${lang}.png" >/dev/null 2>&1
done
echo "screenshots in $out"
