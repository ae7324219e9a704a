#!/usr/bin/env python3
"""A mouse for a headless wlroots compositor (sway) in the end-to-end tests.

A headless seat has no pointer; this client makes one through the compositor's
zwlr_virtual_pointer_manager_v1, speaking the Wayland wire protocol itself. Started before
the program, it stays, so the seat has a pointer all along (as wtype -s keeps a keyboard).

Reads one command a line on standard input and answers "ok" or "error ..." on standard
output:
  click X Y W H   a left click at (X, Y) of an output of W x H pixels
"""

import os
import socket
import struct
import sys
import time

DISPLAY_ID, REGISTRY_ID = 1, 2
BTN_LEFT = 0x110


class Connection:
    def __init__(self):
        name = os.environ.get("WAYLAND_DISPLAY", "wayland-0")
        path = name if name.startswith("/") else os.path.join(os.environ["XDG_RUNTIME_DIR"],
                                                              name)
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.buffer = b""
        self.last_id = REGISTRY_ID

    # A client's new objects take the ids in turn; the compositor refuses a gap.
    def new_id(self):
        self.last_id += 1
        return self.last_id

    def send(self, object_id, opcode, payload=b""):
        size = 8 + len(payload)
        self.sock.sendall(struct.pack("<II", object_id, size << 16 | opcode) + payload)

    def events(self):
        while True:
            while len(self.buffer) >= 8:
                object_id, word = struct.unpack_from("<II", self.buffer)
                size = word >> 16
                if len(self.buffer) < size:
                    break
                payload = self.buffer[8:size]
                self.buffer = self.buffer[size:]
                yield object_id, word & 0xFFFF, payload
            data = self.sock.recv(65536)
            if not data:
                raise RuntimeError("the compositor closed the connection")
            self.buffer += data

    # wl_display.sync: every request before it has been handled once its callback is done.
    def roundtrip(self, on_event=None):
        callback = self.new_id()
        self.send(DISPLAY_ID, 0, struct.pack("<I", callback))
        for object_id, opcode, payload in self.events():
            if object_id == callback:
                return
            if object_id == DISPLAY_ID and opcode == 0:  # wl_display.error
                raise RuntimeError("protocol error %r" % (payload,))
            if on_event:
                on_event(object_id, opcode, payload)


def string_arg(text):
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


def main():
    conn = Connection()
    conn.send(DISPLAY_ID, 1, struct.pack("<I", REGISTRY_ID))  # get_registry
    globals_ = {}

    def on_global(object_id, opcode, payload):
        if object_id == REGISTRY_ID and opcode == 0:
            name, length = struct.unpack_from("<II", payload)
            interface = payload[8:8 + length - 1].decode()
            globals_[interface] = name

    conn.roundtrip(on_global)
    interface = "zwlr_virtual_pointer_manager_v1"
    if interface not in globals_:
        print("error: the compositor offers no " + interface, flush=True)
        return 1
    # wl_registry.bind(name, interface, version, new id); then create_virtual_pointer with
    # no seat (the default one).
    manager = conn.new_id()
    conn.send(REGISTRY_ID, 0, struct.pack("<I", globals_[interface]) + string_arg(interface) +
              struct.pack("<II", 1, manager))
    pointer = conn.new_id()
    conn.send(manager, 0, struct.pack("<II", 0, pointer))
    conn.roundtrip()
    print("ok", flush=True)
    for line in sys.stdin:
        words = line.split()
        try:
            x, y, width, height = (int(word) for word in words[1:5])
            now = int(time.monotonic() * 1000) & 0xFFFFFFFF
            conn.send(pointer, 1, struct.pack("<IIIII", now, x, y, width, height))
            conn.send(pointer, 4, struct.pack("<I", now))  # frame
            conn.roundtrip()
            for state in (1, 0):
                conn.send(pointer, 2, struct.pack("<III", now, BTN_LEFT, state))
                conn.send(pointer, 4, struct.pack("<I", now))
                conn.roundtrip()
            # Off to the corner, away from anything a screenshot reads next.
            conn.send(pointer, 1, struct.pack("<IIIII", now, 0, 0, width, height))
            conn.send(pointer, 4, struct.pack("<I", now))
            conn.roundtrip()
            print("ok", flush=True)
        except (ValueError, RuntimeError, OSError) as error:
            print("error: %s" % error, flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
