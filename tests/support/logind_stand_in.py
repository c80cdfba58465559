#!/usr/bin/python3
# Stands in for logind on a private system bus, as much as xscreensaver's D-Bus helper needs to
# stay up: it owns org.freedesktop.login1 and answers Manager.Inhibit(ssss) with the read end of
# a pipe, the lock that logind would hand out. Prints "ready" once it owns the name.
import os
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib


class Manager(dbus.service.Object):
    @dbus.service.method("org.freedesktop.login1.Manager", in_signature="ssss",
                         out_signature="h")
    def Inhibit(self, what, who, why, mode):
        read_end, write_end = os.pipe()
        self.locks.append(write_end)
        return dbus.types.UnixFd(read_end)

    @dbus.service.signal("org.freedesktop.login1.Manager", signature="b")
    def PrepareForSleep(self, start):
        pass


DBusGMainLoop(set_as_default=True)
bus = dbus.SystemBus()
name = dbus.service.BusName("org.freedesktop.login1", bus)
manager = Manager(bus, "/org/freedesktop/login1")
manager.locks = []
print("ready", flush=True)
GLib.MainLoop().run()
