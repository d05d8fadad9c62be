#!/usr/bin/python3
"""Runs zorveth-cli with --format json the way a script would, against
radio-sim, and validates every document against docs/schema: successes,
failures and interrupts of every command.

Usage: json_schema_test.py ZORVETH_CLI RADIO_SIM SCHEMA
"""
import json
import os
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                                "support"))
from radio_sim_log import tool_bytes  # noqa: E402

import jsonschema

CLI, SIM, SCHEMA = sys.argv[1:4]
# Every wait below is bounded generously: a loaded machine is slow, never
# wrong.
LIMIT = 30.0


class Simulator:
    """radio-sim linked into the port map as COM<number>, its byte log read
    as the tool's bytes arrive."""

    def __init__(self, env, number, options):
        self.log = os.path.join(env["HOME"], f"sim{number}.log")
        self.process = subprocess.Popen(
            [SIM, "--link", f"COM{number}", "--log", self.log,
             "--exit-after-seconds", "120"] + options,
            env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = self.process.stdout.readline()  # "COM9 -> /dev/pts/N" once linked
        assert " -> " in line, f"radio-sim did not start: {line!r}"

    def heard(self):
        """Everything the tool sent so far."""
        return tool_bytes(self.log)

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        self.process.wait(timeout=LIMIT)


def run_cli(env, args, interrupt_when=None, sim=None):
    """The document on stdout and the exit status; with interrupt_when, SIGINT
    once the simulator has heard that text."""
    heard_before = len(sim.heard()) if sim else 0
    process = subprocess.Popen([CLI] + args, env=env, cwd=env["HOME"],
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
    if interrupt_when:
        end = time.monotonic() + LIMIT
        # Only what this run sent counts: an earlier run used the same radios.
        while interrupt_when not in sim.heard()[heard_before:] and time.monotonic() < end:
            time.sleep(0.005)
        assert interrupt_when in sim.heard()[heard_before:], f"{args}: never heard it"
        process.send_signal(signal.SIGINT)
    out, err = process.communicate(timeout=LIMIT)
    return out, err, process.returncode


def check_monitor(env, validator, sims):
    """monitor prints one document per line: every one is checked, and the
    last must be the summary."""
    failures = []
    cases = [
        ("monitor", ["--port", "COM12", "--count", "2"], 0, None, None, "completed"),
        ("monitor without a Client", ["--port", "COM15", "--count", "1"], 0, None, None,
         "completed"),
        ("monitor without a radio", ["--port", "COM17"], 1, None, None, "no radio"),
        ("monitor interrupted", ["--port", "COM12"], 130, "+C\rATS\r", 12, "interrupted"),
    ]
    for what, args, status, when, sim, ending in cases:
        out, err, code = run_cli(env, ["monitor"] + args + ["--format", "json"], when,
                                 sims.get(sim))
        problems = [] if code == status else [f"exit status {code}, not {status}"]
        try:
            documents = [json.loads(line) for line in out.splitlines()]
        except json.JSONDecodeError as error:
            failures.append(f"{what}: a line is no JSON document ({error}): {out!r} {err!r}")
            continue
        for number, document in enumerate(documents):
            problems += [f"line {number + 1}: {'/'.join(map(str, e.absolute_path))}: {e.message}"
                         for e in validator.iter_errors(document)]
        last = documents[-1] if documents else {}
        if last.get("kind") != "summary" or last.get("ending") != ending:
            problems.append(f"the last line is {last!r}")
        failures += [f"{what}: {problem}" for problem in problems]
        print(f"{'FAIL' if problems else 'ok  '} {what}")
    return failures


def main():
    with open(SCHEMA, encoding="utf-8") as file:
        schema = json.load(file)
    jsonschema.Draft7Validator.check_schema(schema)
    validator = jsonschema.Draft7Validator(schema)
    failures = []

    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"))
        env.pop("DISPLAY", None)
        sims = {
            12: Simulator(env, 12, []),
            13: Simulator(env, 13, ["--server-off"]),
            14: Simulator(env, 14, ["--server-no-query-replies"]),
            15: Simulator(env, 15, ["--client-off", "--server-speed", "4800"]),
            16: Simulator(env, 16, ["--server-write-reply", "Write failed\\n\\r"]),
            # Nobody answers: init tries every speed in both roles, seconds
            # of escapes to interrupt.
            17: Simulator(env, 17, ["--server-off", "--client-off"]),
        }
        settings_file = os.path.join(home, "SkelvarRadio.ini")
        saved_profile = os.path.join(home, "saved.profile")
        other_profile = os.path.join(home, "other.profile")

        def other_channel():
            with open(other_profile, "w", encoding="ascii") as file:
                file.write("[profile]\nformat = 1\n[link]\nchannel = 71\npacket-length = 262\n"
                           "system-id = 111\nretries = 4\nbaud-rate = 19200\n")

        def bad_settings():
            with open(settings_file, "w", encoding="ascii") as file:
                file.write("[System]\r\nRetryNumber = 999\r\nSystemIdentification = abc\r\n")

        # (what, arguments, exit status, SIGINT once heard, on which simulator,
        # what to do first, what the document must say)
        cases = [
            ("ports", ["ports"], 0, None, None, None, {"success": True}),
            ("poll both", ["poll", "both", "--port", "COM12"], 0, None, None, None,
             {"success": True}),
            ("poll of a missing port", ["poll", "server", "--port", "COM99"], 1, None, None,
             None, {"success": False}),
            ("poll without a Server", ["poll", "both", "--port", "COM13"], 1, None, None, None,
             {"success": False}),
            ("poll interrupted", ["poll", "server", "--port", "COM14"], 130, "ATC\r", 14, None,
             {"success": False, "ending": "interrupted"}),
            ("scan", ["scan", "--ports", "COM12,COM99"], 0, None, None, None,
             {"success": True}),
            ("scan of a missing port", ["scan", "--ports", "COM99"], 1, None, None, None,
             {"success": False}),
            ("scan interrupted", ["scan", "--ports", "COM14"], 130, "ATC\r", 14, None,
             {"success": False, "ending": "interrupted"}),
            ("configure", ["configure", "--port", "COM12", "--channel", "70"], 0, None, None,
             None, {"success": True}),
            ("configure without a Server", ["configure", "--port", "COM13"], 1, None, None,
             None, {"success": False}),
            ("configure refused by the Server", ["configure", "--port", "COM16"], 1, None, None,
             None, {"success": False}),
            ("init", ["init", "--role", "server", "--port", "COM15", "--yes"], 0, None, None,
             None, {"success": True}),
            ("init without a radio", ["init", "--role", "client", "--port", "COM99", "--yes"], 1,
             None, None, None, {"success": False}),
            ("init interrupted", ["init", "--role", "client", "--port", "COM17", "--yes"], 130,
             "+C\r", 17, None, {"success": False, "ending": "interrupted"}),
            ("profile save", ["profile", "save", saved_profile, "--port", "COM12"], 0, None,
             None, None, {"success": True}),
            ("profile save without a Server", ["profile", "save", other_profile, "--port",
                                               "COM13"], 1, None, None, None, {"success": False}),
            ("profile show", ["profile", "show", saved_profile], 0, None, None, None,
             {"success": True}),
            ("apply --check of a matching pair", ["apply", saved_profile, "--port", "COM12",
                                                  "--check"], 0, None, None, None,
             {"success": True, "verified": True}),
            ("apply --check of a pair that differs", ["apply", other_profile, "--port", "COM12",
                                                      "--check"], 3, None, None, other_channel,
             {"success": False, "changed": False}),
            ("apply", ["apply", other_profile, "--port", "COM12"], 0, None, None, None,
             {"success": True, "changed": True, "verified": True}),
            ("apply without a Server", ["apply", other_profile, "--port", "COM13"], 1, None,
             None, None, {"success": False}),
            ("apply interrupted", ["apply", other_profile, "--port", "COM14"], 130, "ATC\r", 14,
             None, {"success": False, "ending": "interrupted"}),
            ("settings", ["settings"], 0, None, None, None, {"success": True}),
            ("settings saved", ["settings", "--retries", "3"], 0, None, None, None,
             {"success": True}),
            ("settings with stored values out of range", ["settings"], 0, None, None,
             bad_settings, {"success": True}),
            ("settings not saved", ["settings", "--retries", "3"], 1, None, None, bad_settings,
             {"success": False}),
        ]
        for what, args, status, when, sim, before, expected in cases:
            if before:
                before()
            out, err, code = run_cli(env, args + ["--format", "json"], when, sims.get(sim))
            problems = []
            if code != status:
                problems.append(f"exit status {code}, not {status}")
            try:
                document = json.loads(out)
            except json.JSONDecodeError as error:
                failures.append(f"{what}: not one JSON document ({error}): {out!r} {err!r}")
                continue
            problems += [f"{'/'.join(map(str, e.absolute_path))}: {e.message}"
                         for e in validator.iter_errors(document)]
            problems += [f"{key} is {document.get(key)!r}, not {value!r}"
                         for key, value in expected.items() if document.get(key) != value]
            if document.get("command") != args[0]:
                problems.append(f"command is {document.get('command')!r}")
            failures += [f"{what}: {problem}" for problem in problems]
            print(f"{'FAIL' if problems else 'ok  '} {what}")
        failures += check_monitor(env, validator, sims)
        for simulator in sims.values():
            simulator.stop()

    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
