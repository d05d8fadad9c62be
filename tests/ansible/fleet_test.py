#!/usr/bin/python3
"""A fleet of links through Ansible: four sites, each a simulated pair behind
ser2net on the loopback at its own speed and settings, brought to one
profile by the zorveth.radio.link module with three forks.

Usage: fleet_test.py ZORVETH_CLI RADIO_SIM COLLECTIONS_DIR
"""
import os
import sys
import tempfile

from fleet import Site, run_playbook, start_ser2net  # noqa: E402

CLI, SIM, COLLECTIONS = (os.path.abspath(path) for path in sys.argv[1:4])
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


def main():
    problems = []

    def expect(condition, what):
        print(("ok   " if condition else "FAIL ") + what)
        if not condition:
            problems.append(what)

    with tempfile.TemporaryDirectory() as home:
        sites = {name: Site(SIM, home, name, options) for name, options in SITES.items()}
        ser2net = start_ser2net(home, sites)
        try:
            first = run_playbook(CLI, COLLECTIONS, home, sites, PLAYBOOK)
            for name, changed in (("site1", False), ("site2", True), ("site3", True)):
                result = first[name]
                expect(not result.get("failed") and result.get("changed") == changed
                       and result.get("verified"), f"first run: {name} changed={changed}, verified")
            expect(first["site4"].get("failed") and "Polling Server Failed" in
                   first["site4"].get("msg", ""), "first run: site4 fails alone, with the message")
            expect(CONFIG_LINE not in sites["site1"].heard(), "first run: site1 heard only polls")

            heard = {name: len(site.heard()) for name, site in sites.items()}
            second = run_playbook(CLI, COLLECTIONS, home, sites, PLAYBOOK)
            for name in ("site1", "site2", "site3"):
                expect(not second[name].get("failed") and not second[name].get("changed"),
                       f"second run: {name} unchanged")
                expect(CONFIG_LINE not in sites[name].heard()[heard[name]:],
                       f"second run: {name} heard only polls")

            heard = {name: len(site.heard()) for name, site in sites.items()}
            checked = run_playbook(CLI, COLLECTIONS, home, sites, PLAYBOOK.replace("channel: 67", "channel: 71"),
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
            ser2net.wait(timeout=60)
            for site in sites.values():
                site.stop()
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
