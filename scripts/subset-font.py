#!/usr/bin/python3
"""Writes resources/fonts/tarvo-micro-hei.ttf: the glyphs of Tarvo's own texts, taken
from WenQuanYi Micro Hei (Apache License 2.0) and renamed "Tarvo Micro Hei".

The window draws its texts from this small face: the full font is 5 MB, and every glyph
read from it brings 64 KB of the file into the program's resident memory, about 3 MB for
the window's few dozen characters. Characters it lacks fall back to the full font.

Run from the repository root after changing a text of the window (needs
python3-fonttools): /usr/bin/python3 scripts/subset-font.py. The result is committed;
test_font checks that it still holds every character of the sources.
"""
from pathlib import Path

from fontTools import subset
from fontTools.ttLib import TTCollection

ROOT = Path(__file__).resolve().parent.parent
SOURCE = Path("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc")
OUTPUT = ROOT / "resources" / "fonts" / "tarvo-micro-hei.ttf"
FAMILY = "Tarvo Micro Hei"
POSTSCRIPT = "TarvoMicroHei"


def interface_characters():
    """Printable ASCII, and every other character of the window's sources and forms
    (the page helper draws with fonts of its own)."""
    files = [p for p in (ROOT / "src").rglob("*") if p.suffix in (".cpp", ".h")
             and "webhelper" not in p.relative_to(ROOT).parts]
    files += sorted((ROOT / "resources" / "forms").glob("*.json"))
    chars = {chr(c) for c in range(0x20, 0x7F)}
    for path in files:
        chars.update(c for c in path.read_text(encoding="utf-8") if ord(c) >= 0x80)
    return "".join(sorted(chars))


def main():
    font = TTCollection(str(SOURCE)).fonts[0]
    font.recalcTimestamp = False  # the same sources give the same file
    options = subset.Options()
    options.layout_features = ["*"]
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=interface_characters())
    subsetter.subset(font)

    # A name of its own, so that it never stands in for the whole font, and the notice
    # of the change that the licence asks for.
    names = font["name"]
    for record in list(names.names):
        if record.nameID in (1, 3, 4, 16, 18):
            record.string = FAMILY
        elif record.nameID == 6:
            record.string = POSTSCRIPT
        elif record.nameID == 10:
            record.string = ("A subset of WenQuanYi Micro Hei holding the characters of "
                             "Tarvo's interface, renamed; changed for Tarvo.")
    OUTPUT.parent.mkdir(parents=True, exist_ok=True)
    font.save(str(OUTPUT))
    print(f"{OUTPUT.relative_to(ROOT)}: {OUTPUT.stat().st_size} bytes")


if __name__ == "__main__":
    main()
