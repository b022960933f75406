# SPDX-License-Identifier: GPL-3.0-or-later
"""OLA's own Python client, as the end-to-end tests use it on their olad.

  ola_client.py PORT record UNIVERSE FILE     registers for UNIVERSE and appends
      one line per frame olad sends: <CLOCK_MONOTONIC ns> <ch1>,<ch2>,...
      Writes "registered <CLOCK_MONOTONIC ns>" to FILE.ready once olad has
      confirmed.
  ola_client.py PORT merge UNIVERSE htp|ltp   sets the universe's merge mode
  ola_client.py PORT stream UNIVERSE CSV      sends the frame CSV (ch1,ch2,...)
      five times a second, as a lighting desk would, until killed
"""
import array
import socket
import sys
import time

from ola.ClientWrapper import SelectServer
from ola.OlaClient import OlaClient, Universe


class Connection:
    """A client and its event loop, which ends when olad closes the connection."""

    def __init__(self, port):
        self._socket = socket.create_connection(("127.0.0.1", port), timeout=5)
        self._loop = SelectServer()
        self._client = OlaClient(self._socket, self._loop.Terminate)
        self._loop.AddReadDescriptor(self._socket, self._ready)

    def _ready(self):
        # OLA's client misses the end of the connection under Python 3 (it
        # compares bytes with "") and would spin on the closed socket.
        if not self._socket.recv(1, socket.MSG_PEEK):
            self._loop.Terminate()
        else:
            self._client.SocketReady()

    def Client(self):
        return self._client

    def AddEvent(self, milliseconds, callback):
        self._loop.AddEvent(milliseconds, callback)

    def Run(self):
        self._loop.Run()

    def Stop(self):
        self._loop.Terminate()


def check(status, what):
    if not status.Succeeded():
        sys.exit("ola_client.py: %s failed: %s" % (what, status.message))


def record(wrapper, universe, path):
    out = open(path, "a")

    def on_frame(data):
        out.write("%d %s\n" % (time.monotonic_ns(), ",".join(str(v) for v in data)))
        out.flush()

    def on_registered(status):
        check(status, "registering for universe %d" % universe)
        with open(path + ".ready", "w") as ready:
            ready.write("registered %d\n" % time.monotonic_ns())

    wrapper.Client().RegisterUniverse(universe, OlaClient.REGISTER, on_frame, on_registered)
    wrapper.Run()


def merge(wrapper, universe, mode):
    def done(status):
        check(status, "setting the merge mode")
        wrapper.Stop()

    wrapper.Client().SetUniverseMergeMode(
        universe, Universe.LTP if mode == "ltp" else Universe.HTP, done)
    wrapper.Run()


def stream(wrapper, universe, csv):
    data = array.array("B", [int(v) for v in csv.split(",")])

    def done(status):
        check(status, "sending to universe %d" % universe)

    def send():
        wrapper.Client().SendDmx(universe, data, done)
        wrapper.AddEvent(200, send)

    send()
    wrapper.Run()


def main(port, command, universe, argument):
    wrapper = Connection(int(port))
    {"record": record, "merge": merge, "stream": stream}[command](wrapper, int(universe), argument)


if __name__ == "__main__":
    main(*sys.argv[1:])
