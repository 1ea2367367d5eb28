#!/usr/bin/env python3
"""Draws Tarvo's own artwork into resources/.

Run from the repository root: python3 scripts/draw-artwork.py (needs python3-pil).
The results are committed; the build only compiles them in.
"""
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

ROOT = Path(__file__).resolve().parent.parent / "resources"
CJK_FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

WINDOW_BLUE = (22, 134, 199)

# Seven latency brackets from best (green) to worst (red), then the offline state.
RATING_COLOURS = [
    (46, 204, 64), (120, 214, 60), (196, 214, 48), (240, 196, 40),
    (244, 150, 36), (236, 96, 40), (214, 40, 40),
]
RATING_BARS = [4, 3, 3, 2, 2, 1, 0]
OFFLINE_COLOUR = (140, 140, 140)


def font(size):
    try:
        return ImageFont.truetype(CJK_FONT, size)
    except OSError:
        return ImageFont.load_default()


def rating_icon(size, colour, bars, offline=False):
    """A round lamp with signal bars: more bars, better latency."""
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.ellipse([0, 0, size - 1, size - 1], fill=colour + (255,), outline=(30, 30, 30, 255))
    s = size / 16
    if offline:
        w = max(1, round(2 * s))
        d.line([4 * s, 4 * s, 11 * s, 11 * s], fill=(255, 255, 255, 255), width=w)
        d.line([4 * s, 11 * s, 11 * s, 4 * s], fill=(255, 255, 255, 255), width=w)
        return img
    for i in range(bars):
        x0 = (3.5 + i * 3) * s
        top = (11.5 - (i + 1) * 2.2) * s
        d.rectangle([x0, top, x0 + 1.6 * s, 12 * s], fill=(255, 255, 255, 255))
    return img


def save_icon(path, draw, sizes=(16, 32)):
    images = [draw(s) for s in sizes]
    images[-1].save(path, format="ICO", sizes=[(s, s) for s in sizes],
                    append_images=images[:-1])


def app_icon(size):
    """Tarvo's own icon: a gauge needle over a blue disc."""
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.ellipse([0, 0, size - 1, size - 1], fill=WINDOW_BLUE + (255,), outline=(255, 255, 255, 255))
    s = size / 16
    d.arc([2 * s, 3 * s, 14 * s, 15 * s], 180, 360, fill=(255, 255, 255, 255), width=max(1, round(s)))
    d.line([8 * s, 9 * s, 12 * s, 5 * s], fill=(255, 220, 60, 255), width=max(1, round(1.5 * s)))
    d.ellipse([7 * s, 8 * s, 9 * s, 10 * s], fill=(255, 255, 255, 255))
    return img


# The same icon as a scalable picture, in the 16-unit grid app_icon draws on.
APP_ICON_SVG = """<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 16 16">
  <circle cx="8" cy="8" r="7.5" fill="#1686c7" stroke="#ffffff" stroke-width="0.25"/>
  <path d="M 2 9 A 6 6 0 0 1 14 9" fill="none" stroke="#ffffff" stroke-width="1"/>
  <line x1="8" y1="9" x2="12" y2="5" stroke="#ffdc3c" stroke-width="1.5" stroke-linecap="round"/>
  <circle cx="8" cy="9" r="1" fill="#ffffff"/>
</svg>
"""


def save_desktop_icons():
    """The launcher's icon in the hicolor theme's sizes."""
    for size in (16, 32, 48, 128):
        path = ROOT / f"desktop/icons/{size}x{size}/tarvo.png"
        path.parent.mkdir(parents=True, exist_ok=True)
        app_icon(size).save(path)
    path = ROOT / "desktop/icons/scalable/tarvo.svg"
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(APP_ICON_SVG)


def gradient(size, top, bottom):
    w, h = size
    img = Image.new("RGB", size)
    d = ImageDraw.Draw(img)
    for y in range(h):
        t = y / max(1, h - 1)
        d.line([0, y, w, y], fill=tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)))
    return img


def banner():
    img = gradient((728, 90), (40, 160, 220), (16, 100, 170))
    d = ImageDraw.Draw(img)
    for x in range(0, 728, 24):
        d.line([x, 90, x + 60, 0], fill=(60, 170, 225))
    d.text((24, 18), "Tarvo 1.5", font=font(34), fill=(255, 255, 255))
    d.text((28, 60), "网络监视", font=font(16), fill=(220, 240, 255))
    return img


def side_picture():
    img = gradient((175, 96), (230, 244, 252), (170, 214, 240))
    d = ImageDraw.Draw(img)
    points = [(0, 80), (25, 70), (50, 74), (75, 50), (100, 58), (125, 30), (150, 40), (174, 20)]
    d.line(points, fill=(2, 181, 236), width=3)
    d.line([(x, y + 12) for x, y in points], fill=(142, 220, 99), width=2)
    d.rectangle([0, 0, 174, 95], outline=(120, 170, 210))
    return img


def bar_back():
    img = gradient((175, 17), (236, 242, 248), (206, 218, 230))
    ImageDraw.Draw(img).rectangle([0, 0, 174, 16], outline=(120, 150, 180))
    return img


def bar_fore():
    img = gradient((175, 17), (168, 236, 150), (96, 196, 86))
    ImageDraw.Draw(img).rectangle([0, 0, 174, 16], outline=(60, 140, 60))
    return img


# The title bar: a 24-pixel caption strip in a deep blue gradient, Tarvo's name on it,
# three picture buttons, and a light-blue tile for the window's texture.
STRIP_TOP = (58, 142, 214)
STRIP_BOTTOM = (16, 84, 150)
LIGHT_BLUE = (114, 170, 240)


def strip(size):
    return gradient(size, STRIP_TOP, STRIP_BOTTOM)


def title_image():
    """187 x 21: the program's icon and name over the strip (it sits at 6, 2)."""
    img = gradient((187, 24), STRIP_TOP, STRIP_BOTTOM).crop((0, 2, 187, 23))
    icon = app_icon(16).convert("RGBA")
    img.paste(icon, (4, 2), icon)
    d = ImageDraw.Draw(img)
    d.text((26, 10), "Tarvo", font=font(15), fill=(20, 50, 90), anchor="lm")
    d.text((25, 9), "Tarvo", font=font(15), fill=(255, 255, 255), anchor="lm")
    d.text((78, 10), "网络监视", font=font(12), fill=(206, 228, 250), anchor="lm")
    return img


def cap(width, left):
    """A strip end: a lighter rim along the outer edge."""
    img = strip((width, 24))
    d = ImageDraw.Draw(img)
    x = 0 if left else width - 1
    d.line([x, 0, x, 23], fill=(120, 186, 240))
    d.line([0, 0, width, 0], fill=(120, 186, 240))
    return img


def caption_button(kind, hover):
    """21 x 20: a rounded face with a white glyph; the hover look is clearly lighter,
    the close button's hover face red."""
    if hover:
        top, bottom = ((250, 110, 100), (204, 34, 28)) if kind == "close" else (
            (150, 206, 252), (86, 156, 226))
    else:
        top, bottom = (44, 122, 194), (20, 86, 152)
    img = strip((21, 20))  # the strip shows at the rounded corners
    face = gradient((21, 20), top, bottom)
    mask = Image.new("L", (21, 20), 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, 20, 19], radius=3, fill=255)
    img.paste(face, (0, 0), mask)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([0, 0, 20, 19], radius=3, outline=(190, 222, 250) if hover else (96, 160, 218))
    white = (255, 255, 255)
    if kind == "min":
        d.rectangle([6, 12, 14, 13], fill=white)
    elif kind == "max":
        d.rectangle([6, 5, 14, 13], outline=white)
        d.line([6, 6, 14, 6], fill=white)
    else:
        d.line([6, 5, 14, 13], fill=white, width=2)
        d.line([6, 13, 14, 5], fill=white, width=2)
    return img


def title_bar():
    out = ROOT / "titlebar"
    out.mkdir(exist_ok=True)
    cap(8, True).save(out / "left.bmp")
    title_image().save(out / "title.bmp")
    strip((100, 25)).save(out / "middle.bmp")
    cap(9, False).save(out / "right.bmp")
    for kind in ("min", "max", "close"):
        caption_button(kind, False).save(out / f"{kind}.bmp")
        caption_button(kind, True).save(out / f"{kind}_hover.bmp")
    Image.new("RGB", (21, 20), LIGHT_BLUE).save(out / "unavailable.bmp")
    Image.new("RGB", (21, 20), LIGHT_BLUE).save(out / "tile.bmp")


def main():
    save_icon(ROOT / "icons/tarvo.ico", app_icon, sizes=(16, 32, 48))
    save_desktop_icons()
    for k, (colour, bars) in enumerate(zip(RATING_COLOURS, RATING_BARS)):
        save_icon(ROOT / f"icons/rating{k}.ico", lambda s, c=colour, b=bars: rating_icon(s, c, b))
    save_icon(ROOT / "icons/offline.ico", lambda s: rating_icon(s, OFFLINE_COLOUR, 0, offline=True))
    banner().save(ROOT / "pictures/banner.gif")
    side_picture().save(ROOT / "pictures/image1.gif")
    bar_back().save(ROOT / "pictures/bar_back.gif")
    bar_fore().save(ROOT / "pictures/bar_fore.gif")
    title_bar()


if __name__ == "__main__":
    main()
