#!/usr/bin/env python3
"""Quick checks of the skin without the program: every file parses, every control of
required_controls.txt exists with a fitting element and the right count, every text id the
layouts or the program use is in both language files, and every image a layout names exists.

    python3 skin/tools/check_skin.py
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

SKIN = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
PAGES = {"kb_key_ui": "keyboard_key.xml", "kb_deng_ui": "keyboard_deng.xml",
         "kb_macro_ui": "keyboard_macro.xml", "ms_deng_ui": "Mouse_deng.xml",
         "ms_macro_ui": "Mouse_macro.xml", "ms_key_ui": "Mouse_key.xml",
         "mp_deng_ui": "MousePad_deng.xml", "ms_dpi_ui": "Mouse_DPI.xml",
         "ms_cursor_ui": "Mouse_cursor.xml"}
WINDOWS = {"main": "main.xml", "msg": "msgbox.xml", "menu": "menu.xml", "skin": "skin.xml"}
KINDS = {
    "button": {"button"}, "option": {"option", "checkbox"}, "check": {"checkbox", "option"},
    "combo": {"combo"}, "edit": {"edit"}, "slider": {"slider"}, "label": {"label", "text"},
    "tab": {"tablayout"}, "list": {"list"}, "palette": {"colorpalette"},
    "progress": {"circleprogress", "progress"}, "menuitem": {"menuelement"},
    "container": {"verticallayout", "horizontallayout", "container", "tablayout", "scrollcontainer"},
    "picture": None,
}


def elements(file, seen=()):
    """All elements of a window file with its page files expanded."""
    out = []
    for el in ET.parse(os.path.join(SKIN, file)).getroot().iter():
        page = PAGES.get(el.tag.lower())
        if page:
            out += elements(page)
        else:
            out.append(el)
    return out


def main():
    errors = []
    lang = {}
    for code in ("en", "cn"):
        root = ET.parse(os.path.join(SKIN, "lan_%s.xml" % code)).getroot()
        lang[code] = {t.get("id"): (t.text or "") for t in root.iter("Text")}
    if set(lang["en"]) != set(lang["cn"]):
        errors.append("language files differ in ids: %s" % sorted(set(lang["en"]) ^ set(lang["cn"])))

    required = {}
    for line in open(os.path.join(SKIN, "required_controls.txt"), encoding="utf-8"):
        if line.strip() and not line.startswith("#"):
            w, name, kind, unique = line.split()
            required.setdefault(w, []).append((name, kind, unique == "1"))

    used_ids, images = set(), set()
    for w, file in WINDOWS.items():
        els = elements(file)
        by_name = {}
        for el in els:
            if el.get("name"):
                by_name.setdefault(el.get("name").lower(), []).append(el)
            for k, v in el.attrib.items():
                if k in ("text", "tooltip") and v.startswith("@"):
                    used_ids.add(v[1:])
                if k.endswith("image"):
                    m = re.search(r"file='([^']+)'", v)
                    images.add(m.group(1) if m else v)
        for name, kind, unique in required.get(w, []):
            found = by_name.get(name.lower(), [])
            if not found:
                errors.append("%s: %s missing" % (file, name))
                continue
            if unique and len(found) > 1:
                errors.append("%s: %s appears %d times" % (file, name, len(found)))
            allowed = KINDS[kind]
            for el in found:
                if allowed is not None and el.tag.lower() not in allowed:
                    errors.append("%s: %s is a %s, expected %s" % (file, name, el.tag, kind))
    for line in open(os.path.join(SKIN, "required_texts.txt"), encoding="utf-8"):
        if line.strip() and not line.startswith("#"):
            used_ids.add(line.rstrip("\n"))
    for tid in sorted(used_ids):
        for code in ("en", "cn"):
            if tid not in lang[code]:
                errors.append("text id %s missing from lan_%s.xml" % (tid, code))
    for image in sorted(images):
        if not os.path.exists(os.path.join(SKIN, image)):
            errors.append("image %s missing" % image)
    for e in errors:
        print(e)
    print("%d problems" % len(errors))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
