#!/usr/bin/python3
"""Prints the accessibility tree of the running application named argv[1] as AT-SPI
shows it to a screen reader, one line per object: depth, role, name, value.
Waits up to argv[2] seconds for the application and its labels to appear."""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def find_app(name):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and (app.get_name() or "").lower() == name.lower():
            return app
    return None


def walk(node, depth, out):
    if node is None or depth > 12:
        return
    value = ""
    try:
        iface = node.get_value_iface()
        if iface is not None:
            value = "%g" % iface.get_current_value()
    except Exception:  # an object without values
        pass
    out.append("%d\t%s\t%s\t%s" % (depth, node.get_role_name(), node.get_name() or "", value))
    for i in range(node.get_child_count()):
        walk(node.get_child_at_index(i), depth + 1, out)


def main():
    name, timeout = sys.argv[1], float(sys.argv[2])
    deadline = time.monotonic() + timeout
    lines = []
    while time.monotonic() < deadline:
        app = find_app(name)
        if app is not None:
            lines = []
            walk(app, 0, lines)
            if any("progress bar" in line for line in lines):
                break
        time.sleep(0.5)
    print("\n".join(lines))
    return 0 if lines else 1


if __name__ == "__main__":
    sys.exit(main())
