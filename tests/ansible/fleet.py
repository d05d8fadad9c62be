"""Simulated sites for Ansible runs: radio pairs behind one ser2net on the
loopback, each an rfc2217:// port, and ansible-playbook run over them with the
zorveth.radio collection. Used by the fleet test and the fleet benchmark."""
import json
import os
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from radio_sim_log import tool_bytes  # noqa: E402

LIMIT = 60.0  # any one thing; a loaded machine is slow, never wrong


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Site:
    """A simulated pair on a pty of its own, with a loopback port for ser2net."""

    def __init__(self, sim, home, name, options):
        self.log = os.path.join(home, name + ".log")
        self.state = os.path.join(home, name + ".state")
        self.process = subprocess.Popen(
            [sim, "--log", self.log, "--state", self.state, "--exit-after-seconds", "600"]
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


def run_playbook(cli, collections, home, sites, tasks, *extra, forks=3):
    inventory = os.path.join(home, "inventory.json")
    hosts = {name: {"ansible_connection": "local", "ansible_python_interpreter": sys.executable,
                    "link_port": f"rfc2217://127.0.0.1:{site.port}", "zorveth_cli": cli}
             for name, site in sites.items()}
    with open(inventory, "w", encoding="ascii") as file:
        json.dump({"all": {"hosts": hosts}}, file)
    playbook = os.path.join(home, "fleet.yml")
    with open(playbook, "w", encoding="ascii") as file:
        file.write(tasks)
    env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=collections, ANSIBLE_STDOUT_CALLBACK="json",
               ANSIBLE_FORKS=str(forks), ANSIBLE_LOCAL_TEMP=os.path.join(home, "tmp"),
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


