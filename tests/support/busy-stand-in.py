#!/usr/bin/python3
# Stands in on the test's session bus for the desktop services that tell whether the user is
# busy: the screensaver (org.freedesktop.ScreenSaver GetActive) and, with --notifications, a
# notification server whose do-not-disturb is its Inhibited property, as KDE's is. Its own
# object /StandIn sets either state and counts how often the screensaver was asked, so a test
# sees from outside when the program looked; with "slow" set, the screensaver answers a second
# late, as a service of a loaded desktop may.
import sys

from gi.repository import Gio, GLib

INTERFACES = Gio.DBusNodeInfo.new_for_xml("""
<node>
  <interface name="org.freedesktop.ScreenSaver">
    <method name="GetActive"><arg type="b" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.Notifications">
    <property name="Inhibited" type="b" access="read"/>
  </interface>
  <interface name="net.quietbell.BusyStandIn">
    <method name="Set">
      <arg name="state" type="s" direction="in"/>
      <arg name="on" type="b" direction="in"/>
    </method>
    <method name="Asked"><arg type="u" direction="out"/></method>
  </interface>
</node>""")

state = {"active": False, "inhibited": False, "slow": False}
SLOW_ANSWER_MS = 1000
asked = 0


def on_call(connection, sender, path, interface, method, parameters, invocation):
    global asked
    if method == "GetActive":
        asked += 1
        answer = GLib.Variant("(b)", (state["active"],))
        if state["slow"]:
            GLib.timeout_add(SLOW_ANSWER_MS, lambda: invocation.return_value(answer))
        else:
            invocation.return_value(answer)
    elif method == "Set":
        name, on = parameters.unpack()
        state[name] = on
        invocation.return_value(None)
    elif method == "Asked":
        invocation.return_value(GLib.Variant("(u)", (asked,)))


def on_get(connection, sender, path, interface, name):
    return GLib.Variant("b", state["inhibited"])


def serve(connection, path, interface_name):
    connection.register_object(path, INTERFACES.lookup_interface(interface_name), on_call, on_get,
                               None)


def own(connection, name):
    do_not_queue = 4
    reply = connection.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                 "org.freedesktop.DBus", "RequestName",
                                 GLib.Variant("(su)", (name, do_not_queue)), None,
                                 Gio.DBusCallFlags.NONE, -1, None)
    if reply.unpack()[0] != 1:
        sys.exit("%s is taken" % name)


bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
serve(bus, "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver")
serve(bus, "/StandIn", "net.quietbell.BusyStandIn")
names = ["org.freedesktop.ScreenSaver"]
if "--notifications" in sys.argv:
    serve(bus, "/org/freedesktop/Notifications", "org.freedesktop.Notifications")
    names.append("org.freedesktop.Notifications")
for name in names:
    own(bus, name)
GLib.MainLoop().run()
