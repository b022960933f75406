# SPDX-License-Identifier: GPL-3.0-or-later
"""A client that acts as Home Assistant does on the broker, for
remote_mqtt.sh:

  home_assistant.py PORT PASSWORD discover NAME...   reads the discovery
      configurations (eight switches, named NAME..., and the select), then
      switches line 3 on and selects "Løpelys 2", and waits for their states
  home_assistant.py PORT PASSWORD expect TOPIC_END=PAYLOAD...   waits for the
      nine configurations and until a message on a topic that ends with each
      TOPIC_END ("device/" for the device's own topics) carries PAYLOAD
  home_assistant.py PORT PASSWORD birth   says Home Assistant is online and
      waits for the configurations again

Each ends with status 1 and what it missed after 10 s.
"""
import json
import sys
import threading
import time

import paho.mqtt.client as mqtt

WAIT = 10.0


class HomeAssistant:
    def __init__(self, port, password):
        self.seen = {}  # topic -> the last payload
        self.configs = {}  # topic -> the last configuration, decoded
        self.fresh_configs = 0  # configurations that came live, not retained
        self.changed = threading.Condition()
        self.client = mqtt.Client()
        self.client.username_pw_set("velmo", password)
        self.client.on_message = self.take
        self.client.connect("127.0.0.1", int(port))
        self.client.subscribe([("homeassistant/#", 1), ("velmo/#", 1)])
        self.client.loop_start()

    def take(self, _client, _data, message):
        with self.changed:
            payload = message.payload.decode()
            self.seen[message.topic] = payload
            if message.topic.endswith("/config"):
                self.configs[message.topic] = json.loads(payload)
                self.fresh_configs += not message.retain
            self.changed.notify_all()

    def wait(self, what, test):
        with self.changed:
            if not self.changed.wait_for(test, WAIT):
                sys.exit(f"home_assistant.py: no {what}; seen: {json.dumps(self.seen, indent=1)}")

    def payload(self, end):
        if end.startswith("device/"):
            node = next(iter(self.configs.values()))["device"]["identifiers"][0]
            end = node + end[len("device"):]
        return next((p for t, p in self.seen.items() if t.endswith("/" + end)), None)

    def expect(self, pairs):
        self.wait("nine configurations", lambda: len(self.configs) == 9)
        for end, payload in pairs:
            self.wait(f"{payload} on .../{end}", lambda: self.payload(end) == payload)

    def send(self, topic, payload):
        self.client.publish(topic, payload, qos=1).wait_for_publish()


def discover(ha, names):
    ha.expect([("device/availability", "online")])
    switches = [c for t, c in sorted(ha.configs.items()) if "/switch/" in t]
    select = next(c for t, c in ha.configs.items() if "/select/" in t)
    if [s["name"] for s in switches] != names:
        sys.exit(f"home_assistant.py: the switches are named {[s['name'] for s in switches]}")
    if len({c["unique_id"] for c in ha.configs.values()}) != 9 or len({c["device"]["name"] for c in ha.configs.values()}) != 1:
        sys.exit("home_assistant.py: the entities' ids are not unique, or they are not one device")
    if select["options"] != ["Deaktiver", "Løpelys 1", "Løpelys 2", "Løpelys 3"]:
        sys.exit(f"home_assistant.py: the select offers {select['options']}")
    ha.send(switches[2]["command_topic"], "ON")
    ha.send(select["command_topic"], "Løpelys 2")
    ha.wait("line 3 on", lambda: ha.seen.get(switches[2]["state_topic"]) == "ON")
    ha.wait("Løpelys 2", lambda: ha.seen.get(select["state_topic"]) == "Løpelys 2")


def birth(ha):
    ha.expect([])
    ha.send("homeassistant/status", "online")
    ha.wait("the configurations again", lambda: ha.fresh_configs >= 9)


def main(port, password, command, *arguments):
    ha = HomeAssistant(port, password)
    if command == "discover":
        discover(ha, list(arguments))
    elif command == "expect":
        ha.expect([argument.split("=", 1) for argument in arguments])
    else:
        birth(ha)
    ha.client.disconnect()


if __name__ == "__main__":
    main(*sys.argv[1:])
