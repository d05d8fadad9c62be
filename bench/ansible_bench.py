#!/usr/bin/python3
"""Times a fleet through Ansible: eight simulated sites behind ser2net with
eight forks, against one site alone. Every site holds the profile, so each
link costs its two polls; the ratio is what running them side by side adds.

Usage: ansible_bench.py ZORVETH_CLI RADIO_SIM COLLECTIONS_DIR
"""
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "ansible"))
from fleet import Site, run_playbook, start_ser2net  # noqa: E402

CLI, SIM, COLLECTIONS = (os.path.abspath(path) for path in sys.argv[1:4])
PLAYBOOK = """
- hosts: all
  gather_facts: false
  tasks:
    - zorveth.radio.link:
        port: "{{ link_port }}"
        channel: 67
        cli: "{{ zorveth_cli }}"
"""


def timed_run(count):
    with tempfile.TemporaryDirectory() as home:
        sites = {f"site{i}": Site(SIM, home, f"site{i}", []) for i in range(count)}
        ser2net = start_ser2net(home, sites)
        try:
            start = time.monotonic()
            results = run_playbook(CLI, COLLECTIONS, home, sites, PLAYBOOK, forks=count)
            wall = time.monotonic() - start
            failed = [name for name, result in results.items() if result.get("failed")]
        finally:
            ser2net.terminate()
            ser2net.wait(timeout=60)
            for site in sites.values():
                site.stop()
    return wall, failed


def main():
    one, failed_one = timed_run(1)
    eight, failed_eight = timed_run(8)
    print("\nansible-playbook, sites behind ser2net    wall s   ratio")
    print(f"one site, forks 1                        {one:7.2f}")
    print(f"eight sites, forks 8                     {eight:7.2f} {eight / one:7.3f}"
          + (f"  failed: {failed_one + failed_eight}" if failed_one or failed_eight else ""))


if __name__ == "__main__":
    main()
