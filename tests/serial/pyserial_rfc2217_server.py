#!/usr/bin/python3
"""RFC 2217 test server: pyserial's PortManager around a loop:// port.

Whatever the client writes comes back to it; DSR follows DTR and CTS follows
RTS, as loop:// has it. Prints "rfc2217://127.0.0.1:PORT" first, then one line
per event, flushed at once:

  CONNECT / DISCONNECT
  SETTINGS baud=<n> bytesize=<n> parity=<N|O|E|M|S> stopbits=<1|1.5|2> xonxoff=<0|1> rtscts=<0|1>
  LINES dtr=<0|1> rts=<0|1>

A line "hangup" on standard input drops the current connection; end of input
stops the server. Needs nothing beyond Debian's python3-serial. Run it with
"python3 -I": from the source tree, the folder serial/ would otherwise hide
pyserial's package of the same name.
"""

import contextlib
import os
import socket
import sys
import threading
import types

import serial
import serial.rfc2217

lock = threading.Lock()
current = {"sock": None}


def say(text):
    with lock:
        print(text, flush=True)


def describe(p):
    return (f"SETTINGS baud={p.baudrate} bytesize={p.bytesize} parity={p.parity} stopbits={p.stopbits} "
            f"xonxoff={int(p.xonxoff)} rtscts={int(p.rtscts)}", f"LINES dtr={int(p.dtr)} rts={int(p.rts)}")


def serve(client):
    port = serial.serial_for_url("loop://", timeout=0.05)
    send_lock = threading.Lock()

    def send(data):  # what PortManager writes to: the client socket, one writer at a time
        with send_lock, contextlib.suppress(OSError):
            client.sendall(data)

    manager = serial.rfc2217.PortManager(port, types.SimpleNamespace(write=send))
    running = [True]

    def port_to_network():
        while running[0]:
            try:
                data = port.read(port.in_waiting or 1)
            except Exception:
                break
            if data:
                send(b"".join(manager.escape(data)))

    reader = threading.Thread(target=port_to_network, daemon=True)
    reader.start()
    last = (None, None)
    client.settimeout(0.05)
    try:
        with contextlib.suppress(OSError):
            while True:
                with contextlib.suppress(socket.timeout):
                    data = client.recv(4096)
                    if not data:
                        break
                    port.write(b"".join(manager.filter(data)))
                manager.check_modem_lines()
                now = describe(port)
                for old, new in zip(last, now):
                    if old != new:
                        say(new)
                last = now
    finally:
        running[0] = False
        reader.join()
        port.close()


def control():
    for line in sys.stdin:
        if line.strip() == "hangup":
            with lock:
                sock = current["sock"]
            if sock is not None:
                with contextlib.suppress(OSError):
                    sock.shutdown(socket.SHUT_RDWR)
    os._exit(0)  # end of input: the test is over


def main():
    listener = socket.create_server(("127.0.0.1", int(sys.argv[1]) if len(sys.argv) > 1 else 0), backlog=1)
    say("rfc2217://127.0.0.1:{}".format(listener.getsockname()[1]))
    threading.Thread(target=control, daemon=True).start()
    while True:
        client, _ = listener.accept()
        client.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        with lock:
            current["sock"] = client
        say("CONNECT")
        serve(client)
        with lock:
            current["sock"] = None
        client.close()
        say("DISCONNECT")


if __name__ == "__main__":
    main()
