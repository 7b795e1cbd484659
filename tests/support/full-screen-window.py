#!/usr/bin/python3
# A GTK window made full screen, as a video player or a slide show makes itself, on the monitor
# that holds the point given as x y.
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402

window = Gtk.Window(title="Full screen")
window.move(int(sys.argv[1]), int(sys.argv[2]))
window.connect("destroy", Gtk.main_quit)
window.fullscreen()
window.show_all()
Gtk.main()
