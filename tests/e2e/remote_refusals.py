# SPDX-License-Identifier: GPL-3.0-or-later
"""Tries the remote as a stranger would:
  remote_refusals.py PORT TOKEN OSC_PORT table|slots|osc-flood LINE|push-flood LINE
table: every row is sent on a connection of its own (its requests one after
the other on it) and must get exactly the statuses given, then the
connection's end. slots: strangers hold every slot, and the user with the
token must still get in. The floods switch LINE on and off 140 times in one
OSC bundle, or 100 times at once on the push channel. Prints what went wrong
and exits 1; the caller checks what reached the port."""
import base64
import os
import re
import socket
import struct
import sys
import time

PORT, TOKEN, OSC_PORT = int(sys.argv[1]), sys.argv[2], int(sys.argv[3] or 0)
HOST = f"127.0.0.1:{PORT}"
BEARER = {"Authorization": "Bearer " + TOKEN}
JSON = {"Content-Type": "application/json"}
ON = b'{"on":true}'
failures = []


def request(method, target, fields=None, body=b"", host=HOST, length=True):
    head = f"{method} {target} HTTP/1.1\r\nHost: {host}\r\n"
    fields = dict(fields or {})
    if body and length and "Transfer-Encoding" not in fields:
        fields["Content-Length"] = str(len(body))
    head += "".join(f"{name}: {value}\r\n" for name, value in fields.items())
    return head.encode() + b"\r\n" + body


def statuses(data, timeout=1.0, source="127.0.0.1"):
    """The statuses the remote answers data with, until it ends the connection."""
    with socket.create_connection(("127.0.0.1", PORT), timeout=timeout,
                                  source_address=(source, 0)) as connection:
        connection.sendall(data)
        answered = b""
        try:
            while chunk := connection.recv(65536):
                answered += chunk
        except socket.timeout:
            answered += b"<open>"
        except ConnectionResetError:
            answered += b"<reset>"
    found = [int(status) for status in re.findall(rb"HTTP/1\.1 (\d{3}) ", answered)]
    return found + (["open"] if answered.endswith(b"<open>") else [])


UPGRADE = {"Upgrade": "websocket", "Sec-WebSocket-Key": "dGhlIHNhbXBsZSBub25jZQ==",
           "Sec-WebSocket-Version": "13"}
CHUNKED = (b"PUT /api/v1/lines/5 HTTP/1.1\r\nHost: " + HOST.encode() +
           b"\r\nAuthorization: Bearer " + TOKEN.encode() +
           b"\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n\r\nb\r\n{\"on\":true}\r\n0\r\n\r\n")
TABLE = [
    # What the README's table documents.
    ("no token", request("PUT", "/api/v1/lines/1", JSON, ON), [401]),
    ("a wrong token", request("PUT", "/api/v1/lines/1", {**JSON, "Authorization": "Bearer " + "0" * 32}, ON), [401]),
    ("another site's page", request("PUT", "/api/v1/lines/1", {**BEARER, **JSON, "Origin": "http://attacker.example"}, ON), [403]),
    ("another Host", request("PUT", "/api/v1/lines/1", {**BEARER, **JSON}, ON, host=f"attacker.example:{PORT}"), [403]),
    ("a form's body", request("PUT", "/api/v1/lines/1", {**BEARER, "Content-Type": "application/x-www-form-urlencoded"}, b"on=true"), [415]),
    ("no length", request("PUT", "/api/v1/lines/1", {**BEARER, **JSON, "Transfer-Encoding": "chunked"}, b"b\r\n{\"on\":true}\r\n0\r\n\r\n"), [411]),
    ("a body over 4 KiB", request("PUT", "/api/v1/lines/1", {**BEARER, **JSON}, b'{"on":true,"pad":"' + b" " * 5000 + b'"}'), [413]),
    ("a head over 8 KiB", request("GET", "/", {"X-Pad": "a" * 20000}), [431]),
    ("a 64 MiB body, announced", request("PUT", "/api/v1/lines/1", {**BEARER, **JSON, "Content-Length": str(64 << 20)}), [413]),
    ("no such page", request("GET", "/nowhere"), [404, "open"]),
    ("a method the route does not take", request("GET", "/api/v1/chaser", BEARER), [405, "open"]),
    ("the push channel without a WebSocket", request("GET", "/api/v1/events", BEARER), [426, "open"]),
    ("a path outside the page", request("GET", "/../etc/passwd", BEARER), [400]),
    ("HTTP/2", b"GET / HTTP/2.0\r\nHost: " + HOST.encode() + b"\r\n\r\n", [400]),
    ("not HTTP", b"\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\r\n\r\n", [400]),
    # Escapes and dot segments on every route, without a token.
    ("an escaped state", request("GET", "/%61pi/v1/state"), [401]),
    ("an escaped line", request("PUT", "/ap%69/v1/lines/3", JSON, ON), [401]),
    ("an escaped chaser", request("POST", "/%61pi/v1/chaser", JSON, b'{"pattern":1}'), [401]),
    ("an escaped push channel", request("GET", "/%61pi/v1/events?token=x", UPGRADE | {"Connection": "Upgrade"}), [401]),
    ("a dot segment", request("PUT", "/api/v1/./lines/3", JSON, ON), [400]),
    ("an escaped dot segment", request("PUT", "/x/%2e%2e/api/v1/lines/3", JSON, ON), [400]),
    ("an escaped slash", request("POST", "/api%2fv1/chaser", JSON, b'{"pattern":1}'), [400]),
    # A half-made upgrade ends its connection: nothing after it is served.
    ("a half-made upgrade, then others",
     request("GET", f"/api/v1/events?token={TOKEN}", UPGRADE) +
     request("GET", "/", host="attacker.example") + CHUNKED +
     request("PUT", "/api/v1/lines/5", {**BEARER, **JSON}, ON), [400]),
    ("a request, then another Host on the same connection",
     request("GET", "/") + request("GET", "/", host="attacker.example") + request("GET", "/"), [200, 403]),
    ("a chunked text body", CHUNKED, [411]),
    ("the right token keeps a connection open", request("GET", "/api/v1/state", BEARER), [200, "open"]),
]


def check_table():
    for name, data, expected in TABLE:
        got = statuses(data)
        if got != expected:
            failures.append(f"{name}: expected {expected}, got {got}")


def guess_tokens():
    """Ten wrong tokens from one address, then the slowed eleventh, then the right one."""
    wrong = request("GET", "/api/v1/state", {"Authorization": "Bearer " + "1" * 32})
    got = [statuses(wrong, source="127.0.0.7")[0] for _ in range(10)]
    started = time.monotonic()
    got.append(statuses(wrong, timeout=3.0, source="127.0.0.7")[0])
    slowed = time.monotonic() - started
    got.append(statuses(request("GET", "/api/v1/state", BEARER), source="127.0.0.7")[0])
    if got != [401] * 10 + [429, 200] or slowed < 0.9:
        failures.append(f"ten wrong tokens, one more and the right one got {got}, "
                        f"the 429 after {slowed:.2f} s")


def hold_every_slot():
    """Four addresses take 32 connections each, each kept alive by a HEAD;
    the user with the token must still get in."""
    held = []
    for peer in range(2, 6):
        for _ in range(32):
            connection = socket.socket()
            connection.bind((f"127.0.0.{peer}", 0))
            connection.connect(("127.0.0.1", PORT))
            connection.sendall(request("HEAD", "/"))
            held.append(connection)
    time.sleep(0.5)
    user = socket.socket()
    user.bind(("127.0.0.6", 0))
    user.settimeout(3)
    user.connect(("127.0.0.1", PORT))
    user.sendall(request("GET", "/api/v1/state", BEARER))
    try:
        answer = user.recv(4096)
    except OSError as error:
        answer = repr(error).encode()
    if not answer.startswith(b"HTTP/1.1 200"):
        failures.append(f"with every slot held by strangers the user got {answer[:60]!r}")
    for connection in held + [user]:
        connection.close()


def osc_flood(line):
    """One bundle of 140 messages that switch line on and off."""
    def padded(text):
        raw = text.encode() + b"\0"
        return raw + b"\0" * (-len(raw) % 4)
    bundle = padded("#bundle") + struct.pack(">Q", 1)
    for i in range(140):
        message = padded(f"/velmo/line/{line}") + padded(",i") + struct.pack(">i", (i + 1) % 2)
        bundle += struct.pack(">i", len(message)) + message
    socket.socket(socket.AF_INET, socket.SOCK_DGRAM).sendto(bundle, ("127.0.0.1", OSC_PORT))


def push_flood(line):
    """100 commands at once on the push channel, switching line on and off."""
    connection = socket.create_connection(("127.0.0.1", PORT))
    key = base64.b64encode(os.urandom(16)).decode()
    connection.sendall(request("GET", f"/api/v1/events?token={TOKEN}",
                               {"Upgrade": "websocket", "Connection": "Upgrade",
                                "Sec-WebSocket-Key": key, "Sec-WebSocket-Version": "13"}))
    answer = b""
    while b"\r\n\r\n" not in answer:  # a client sends nothing before the upgrade's answer
        answer += connection.recv(4096)
    frames = b""
    for i in range(100):
        data = f'{{"line": {line}, "on": {"true" if i % 2 == 0 else "false"}}}'.encode()
        mask = os.urandom(4)
        frames += bytes([0x81, 0x80 | len(data)]) + mask + bytes(b ^ mask[j % 4] for j, b in enumerate(data))
    connection.sendall(frames)
    time.sleep(1.5)
    connection.close()


if __name__ == "__main__":
    {"table": lambda: (check_table(), guess_tokens()), "slots": hold_every_slot, "osc-flood": lambda: osc_flood(sys.argv[5]),
     "push-flood": lambda: push_flood(sys.argv[5])}[sys.argv[4]]()
    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)
