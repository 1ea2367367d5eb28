#!/usr/bin/python3
"""A notification area over StatusNotifierItem (as KDE Plasma and GNOME's AppIndicator
extension offer it): `watch FILE` owns the watcher on the session bus, with a host
registered, and writes each item ("bus-name/path") to FILE; `activate ITEM` clicks one."""
import sys

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
XML = f"""<node><interface name="{WATCHER}">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
<property name="RegisteredStatusNotifierItems" type="as" access="read"/>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/>
<signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
</interface></node>"""


def watch(path):
    bus, items = Gio.bus_get_sync(Gio.BusType.SESSION), []

    def call(connection, sender, _path, _iface, method, args, invocation):
        if method == "RegisterStatusNotifierItem":
            # An item gives its bus name, or only its path (its sender is the name).
            name = args.unpack()[0]
            item = sender + name if name.startswith("/") else name + "/StatusNotifierItem"
            items.append(item)
            with open(path, "a") as out:
                out.write(item + "\n")
            connection.emit_signal(None, "/StatusNotifierWatcher", WATCHER,
                                   "StatusNotifierItemRegistered", GLib.Variant("(s)", (item,)))
        invocation.return_value(None)

    def get(_connection, _sender, _path, _iface, name):
        return {"RegisteredStatusNotifierItems": GLib.Variant("as", items),
                "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
                "ProtocolVersion": GLib.Variant("i", 0)}[name]

    interface = Gio.DBusNodeInfo.new_for_xml(XML).interfaces[0]
    bus.register_object("/StatusNotifierWatcher", interface, call, get, None)
    Gio.bus_own_name_on_connection(bus, WATCHER, Gio.BusNameOwnerFlags.NONE, None, None)
    GLib.MainLoop().run()


def activate(item):
    service, _, path = item.partition("/")
    Gio.bus_get_sync(Gio.BusType.SESSION).call_sync(
        service, "/" + path, "org.kde.StatusNotifierItem", "Activate",
        GLib.Variant("(ii)", (0, 0)), None, Gio.DBusCallFlags.NONE, 5000, None)


if __name__ == "__main__":
    {"watch": watch, "activate": activate}[sys.argv[1]](sys.argv[2])
