#!/usr/bin/python3
"""A fleet of links through Ansible: four sites, each a simulated pair behind
ser2net on the loopback at its own speed and settings, brought to one
profile by the zorveth.radio.link module with three forks.

Usage: fleet_test.py ZORVETH_CLI RADIO_SIM COLLECTIONS_DIR
"""
import json
import os
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                                "support"))
from radio_sim_log import tool_bytes  # noqa: E402

CLI, SIM, COLLECTIONS = sys.argv[1:4]
LIMIT = 60.0  # any one thing; a loaded machine is slow, never wrong
CONFIG_LINE = "FP262ID111BA4BR"  # in every configuration line of this profile

# site: radio-sim options (the pair as it stands before the first run)
SITES = {
    "site1": ["--server-speed", "19200", "--client-speed", "19200"],  # holds the profile
    "site2": ["--server-speed", "19200", "--client-speed", "9600",
              "--client-channel", "70"],                                # split by a configure
    "site3": ["--server-speed", "38400", "--client-speed", "38400",
              "--server-channel", "72", "--client-channel", "72"],
    "site4": ["--server-off"],                                          # fails alone
}
PLAYBOOK = """
- hosts: all
  gather_facts: false
  tasks:
    - name: Keep the link at the site's profile
      zorveth.radio.link:
        port: "{{ link_port }}"
        channel: 67
        baud_rate: 19200
        cli: "{{ zorveth_cli }}"
"""


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Site:
    def __init__(self, home, name, options):
        self.log = os.path.join(home, name + ".log")
        self.state = os.path.join(home, name + ".state")
        self.process = subprocess.Popen(
            [SIM, "--log", self.log, "--state", self.state, "--exit-after-seconds", "600"]
            + options, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.pty = self.process.stdout.readline().strip()
        assert self.pty.startswith("/dev/"), f"radio-sim printed {self.pty!r}"
        self.port = free_port()

    def heard(self):
        """Everything the tool sent so far."""
        return tool_bytes(self.log)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=LIMIT)


def start_ser2net(home, sites):
    config = os.path.join(home, "ser2net.yaml")
    with open(config, "w", encoding="ascii") as file:
        for name, site in sites.items():
            file.write(f"connection: &{name}\n"
                       f"  accepter: telnet(rfc2217),tcp,127.0.0.1,{site.port}\n"
                       f"  connector: serialdev,{site.pty},9600n81,local\n")
    process = subprocess.Popen(["ser2net", "-n", "-d", "-c", config],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    end = time.monotonic() + LIMIT
    for site in sites.values():
        while True:
            try:
                socket.create_connection(("127.0.0.1", site.port), timeout=1).close()
                break
            except OSError:
                assert time.monotonic() < end, "ser2net did not come up"
                time.sleep(0.05)
    time.sleep(0.2)
    return process


def run_playbook(home, sites, tasks=PLAYBOOK, *extra):
    inventory = os.path.join(home, "inventory.json")
    hosts = {name: {"ansible_connection": "local", "ansible_python_interpreter": sys.executable,
                    "link_port": f"rfc2217://127.0.0.1:{site.port}", "zorveth_cli": CLI}
             for name, site in sites.items()}
    with open(inventory, "w", encoding="ascii") as file:
        json.dump({"all": {"hosts": hosts}}, file)
    playbook = os.path.join(home, "fleet.yml")
    with open(playbook, "w", encoding="ascii") as file:
        file.write(tasks)
    env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=COLLECTIONS, ANSIBLE_STDOUT_CALLBACK="json",
               ANSIBLE_FORKS="3", ANSIBLE_LOCAL_TEMP=os.path.join(home, "tmp"),
               ANSIBLE_HOME=os.path.join(home, "ansible"), HOME=home,
               ANSIBLE_HOST_KEY_CHECKING="False", ANSIBLE_NOCOLOR="1")
    done = subprocess.run(["ansible-playbook", "-i", inventory, playbook, *extra], env=env,
                          capture_output=True, text=True, timeout=600, check=False)
    try:
        report = json.loads(done.stdout)
    except ValueError:
        raise AssertionError(f"ansible-playbook gave no report: {done.stdout}\n{done.stderr}")
    return {host: result for play in report["plays"] for task in play["tasks"]
            for host, result in task["hosts"].items()}


def main():
    problems = []

    def expect(condition, what):
        print(("ok   " if condition else "FAIL ") + what)
        if not condition:
            problems.append(what)

    with tempfile.TemporaryDirectory() as home:
        sites = {name: Site(home, name, options) for name, options in SITES.items()}
        ser2net = start_ser2net(home, sites)
        try:
            first = run_playbook(home, sites)
            for name, changed in (("site1", False), ("site2", True), ("site3", True)):
                result = first[name]
                expect(not result.get("failed") and result.get("changed") == changed
                       and result.get("verified"), f"first run: {name} changed={changed}, verified")
            expect(first["site4"].get("failed") and "Polling Server Failed" in
                   first["site4"].get("msg", ""), "first run: site4 fails alone, with the message")
            expect(CONFIG_LINE not in sites["site1"].heard(), "first run: site1 heard only polls")

            heard = {name: len(site.heard()) for name, site in sites.items()}
            second = run_playbook(home, sites)
            for name in ("site1", "site2", "site3"):
                expect(not second[name].get("failed") and not second[name].get("changed"),
                       f"second run: {name} unchanged")
                expect(CONFIG_LINE not in sites[name].heard()[heard[name]:],
                       f"second run: {name} heard only polls")

            heard = {name: len(site.heard()) for name, site in sites.items()}
            checked = run_playbook(home, sites, PLAYBOOK.replace("channel: 67", "channel: 71"),
                                   "--check", "--diff")
            for name in ("site1", "site2", "site3"):
                result = checked[name]
                expect(result.get("changed") and "channel: 71" in
                       result.get("diff", {}).get("after", ""),
                       f"--check --diff: {name} would change and shows channel 71")
                expect("ATC71" not in sites[name].heard()[heard[name]:],
                       f"--check --diff: nothing written to {name}")
        finally:
            ser2net.terminate()
            ser2net.wait(timeout=LIMIT)
            for site in sites.values():
                site.stop()
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
