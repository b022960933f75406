# SPDX-License-Identifier: GPL-3.0-or-later
"""Command -> port write latency of velmo-remote over HTTP, the push channel,
OSC, MQTT (a command on a switch's topic) and DMX (a desk's frame through
olad), then a sustained HTTP load. Run by bench/remote_bench.sh, which
starts the programs, the broker, olad and the remote:
remote_bench.py PAGE_URL TOKEN OSC_PORT TRACE_PATH MQTT_PORT MQTT_PASSWORD TOPICS OLA_PORT"""
import array
import base64
import http.client
import json
import os
import socket
import struct
import sys
import threading
import time

import paho.mqtt.client as mqtt
from ola.OlaClient import OlaClient

SAMPLES = 320  # 20 times on and off round the lines: each run ends with all off
PACE = 0.01  # s between commands; they go round the eight lines, each well within its limit
RATE = 500  # requests a second, in all
SECONDS = 10
CLIENTS = 4  # connections of the sustained load
COMMAND_EVERY = 5  # of its requests, one in five switches a line; the others read the state
LINES = 8


class Trace:
    """The port trace from now on: each write's CLOCK_MONOTONIC instant."""

    def __init__(self, path):
        self.file = open(path, encoding="ascii")
        self.file.seek(0, os.SEEK_END)
        self.partial = ""

    def writes(self):
        self.partial += self.file.read()
        *lines, self.partial = self.partial.split("\n")
        return [int(line.split()[0]) for line in lines if " out " in line]

    def next_write(self, timeout=2.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            written = self.writes()
            if written:
                return written[0]
            time.sleep(0.0002)
        raise RuntimeError("no port write came")


class Remote:
    def __init__(self, url, token, osc_port):
        self.host, port = url.split("//")[1].strip("/").split(":")
        self.port = int(port)
        self.token = token
        self.osc_port = osc_port

    def http(self):
        return http.client.HTTPConnection(self.host, self.port, timeout=5)

    def put_line(self, connection, line, on):
        connection.request("PUT", f"/api/v1/lines/{line}", json.dumps({"on": on}),
                           {"Authorization": "Bearer " + self.token,
                            "Content-Type": "application/json"})
        reply = connection.getresponse()
        reply.read()
        return reply.status

    def get_state(self, connection):
        connection.request("GET", "/api/v1/state", headers={"Authorization": "Bearer " + self.token})
        reply = connection.getresponse()
        reply.read()
        return reply.status

    def push_channel(self):
        sock = socket.create_connection((self.host, self.port))
        key = base64.b64encode(os.urandom(16)).decode()
        sock.sendall((f"GET /api/v1/events?token={self.token} HTTP/1.1\r\n"
                      f"Host: {self.host}:{self.port}\r\nUpgrade: websocket\r\n"
                      f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                      "Sec-WebSocket-Version: 13\r\n\r\n").encode())
        answer = b""
        while b"\r\n\r\n" not in answer:
            answer += sock.recv(4096)
        assert answer.startswith(b"HTTP/1.1 101"), answer
        sock.setblocking(False)
        return sock

    @staticmethod
    def push_send(sock, message):
        data = json.dumps(message).encode()
        mask = os.urandom(4)
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(data))
        sock.sendall(bytes([0x81, 0x80 | len(data)]) + mask + masked)
        try:  # the state pushed back is not needed here
            while sock.recv(65536):
                pass
        except BlockingIOError:
            pass

    def osc_line(self, sock, line, on):
        def padded(text):
            raw = text.encode() + b"\0"
            return raw + b"\0" * (-len(raw) % 4)
        sock.sendto(padded(f"/velmo/line/{line}") + padded(",i") + struct.pack(">i", int(on)),
                    (self.host, self.osc_port))


class Mqtt:
    """A client that sends Home Assistant's commands to the remote's switches
    and follows their states."""

    def __init__(self, port, password, topics):
        self.topics = topics
        self.states = {}  # topic -> (payload, time.monotonic_ns() it came)
        self.came = threading.Condition()
        self.client = mqtt.Client()
        self.client.username_pw_set("velmo", password)
        self.client.on_message = self.take
        self.client.connect("127.0.0.1", port)
        self.client.socket().setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.client.subscribe(f"{topics}line/+/state", qos=1)
        self.client.loop_start()
        deadline = time.monotonic() + 5
        while not self.client.is_connected() and time.monotonic() < deadline:
            time.sleep(0.01)

    def take(self, _client, _data, message):
        with self.came:
            self.states[message.topic] = (message.payload.decode(), time.monotonic_ns())
            self.came.notify_all()

    def line(self, line, on):
        self.client.publish(f"{self.topics}line/{line}/set", "ON" if on else "OFF", qos=1)

    def state_after(self, line, on, start):
        """ms from start until line's state says on."""
        with self.came:
            topic, payload = f"{self.topics}line/{line}/state", "ON" if on else "OFF"
            self.came.wait_for(lambda: self.states.get(topic, ("",))[0] == payload, 2.0)
            return (self.states[topic][1] - start) / 1e6


class Desk:
    """A lighting desk on universe 1: the eight lines' channels, 255 on and 0 off."""

    def __init__(self, port):
        self.socket = socket.create_connection(("127.0.0.1", port))
        self.client = OlaClient(self.socket)
        self.levels = array.array("B", [0] * LINES)

    def line(self, line, on):
        self.levels[line - 1] = 255 if on else 0
        self.client.SendDmx(1, self.levels)


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(fraction * len(ordered)))]


def latency(name, trace, send, state=None):
    """send(line, on) for SAMPLES commands, PACE apart, round the lines; with
    state(line, on, start), also the time to the state told back."""
    spans, told = [], []
    for i in range(SAMPLES):
        trace.writes()
        time.sleep(PACE)
        start = time.monotonic_ns()
        line, on = i % LINES + 1, (i // LINES) % 2 == 0
        send(line, on)
        spans.append((trace.next_write() - start) / 1e6)
        if state:
            told.append(state(line, on, start))
    for what, values in ((name, spans), (name + " state", told)):
        if values:
            print(f"{what:14} p50 {percentile(values, 0.5):6.3f} ms  "
                  f"p99 {percentile(values, 0.99):6.3f} ms  ({SAMPLES} commands)")


def client_load(remote, client, count, start, results):
    """Client number client's share of the load: its commands take the lines
    client and client + CLIENTS by turns."""
    connection = remote.http()
    interval = CLIENTS / RATE
    for i in range(count):
        pause = start + i * interval - time.monotonic()
        if pause > 0:
            time.sleep(pause)
        sent = time.monotonic()
        command = i // COMMAND_EVERY
        try:
            if i % COMMAND_EVERY:
                status = remote.get_state(connection)
            else:
                line = client + CLIENTS * (command % 2)
                status = remote.put_line(connection, line, (command // 2) % 2 == 0)
        except (OSError, http.client.HTTPException):
            status = 0
            connection = remote.http()
        results.append((status, (time.monotonic() - sent) * 1e3))


def sustained(remote, trace):
    per_client = RATE * SECONDS // CLIENTS
    results = []
    start = time.monotonic() + 0.1
    threads = [threading.Thread(target=client_load, args=(remote, client, per_client, start, results))
               for client in range(1, CLIENTS + 1)]
    trace.writes()
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    took = time.monotonic() - start
    time.sleep(0.5)
    written = len(trace.writes())
    answered = sum(1 for status, _ in results if status == 200)
    answer_ms = [ms for _, ms in results]
    sent = per_client * CLIENTS
    commands = CLIENTS * -(-per_client // COMMAND_EVERY)
    print(f"sustained      {sent} requests in {took:.2f} s ({sent / took:.0f}/s) on {CLIENTS} "
          f"connections, {commands} of them commands: {answered} answered 200, {written} port "
          f"writes, {sent - answered + max(0, commands - written)} lost; answer p50 "
          f"{percentile(answer_ms, 0.5):.3f} ms, p99 {percentile(answer_ms, 0.99):.3f} ms")


def main(url, token, osc_port, trace_path, mqtt_port, mqtt_password, topics, ola_port):
    remote = Remote(url, token, int(osc_port))
    trace = Trace(trace_path)
    connection = remote.http()
    latency("HTTP", trace, lambda line, on: remote.put_line(connection, line, on))
    channel = remote.push_channel()
    latency("push channel", trace,
            lambda line, on: remote.push_send(channel, {"line": line, "on": on}))
    osc = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    latency("OSC", trace, lambda line, on: remote.osc_line(osc, line, on))
    home = Mqtt(int(mqtt_port), mqtt_password, topics)
    latency("MQTT", trace, home.line, home.state_after)
    latency("DMX", trace, Desk(int(ola_port)).line)
    sustained(remote, trace)


if __name__ == "__main__":
    main(*sys.argv[1:9])
