# -*- coding: utf-8 -*-
# The link module runs zorveth-cli on the managed host; every byte on the
# radios' line is one zorveth-cli apply sends.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: link
short_description: Bring a Zorveth radio link to a profile
description:
  - Runs C(zorveth-cli apply) for the link on I(port). Each radio is found at
    whatever speed it listens and compared with the profile; only the radios
    that differ are written (the Client first), and both are read back.
  - A link that already holds the profile hears only the polls and is not
    changed.
  - In check mode only the polls go out; C(changed) says whether an apply
    would write. In diff mode the result shows what each radio holds and what
    the profile wants.
options:
  port:
    description: The link's port, C(COM<n>) or C(rfc2217://HOST:PORT).
    type: str
    required: true
  profile:
    description:
      - A profile file on the managed host (C(zorveth-cli profile save)).
      - Without it, the settings below make the profile.
    type: path
  channel:
    description: The channel, 0 to 65535.
    type: int
  packet_length:
    description: The fixed packet length, 0 to 2047.
    type: int
    default: 262
  system_id:
    description: The system ID, 0 to 65535.
    type: int
    default: 111
  retries:
    description: The number of retries, 0 to 255.
    type: int
    default: 4
  baud_rate:
    description: The radios' serial speed.
    type: int
    choices: [38400, 19200, 9600, 4800, 2400]
    default: 19200
  cli:
    description: The zorveth-cli program to run.
    type: path
    default: zorveth-cli
author:
  - Zorveth developers
"""

EXAMPLES = r"""
- name: Keep each site's link at its settings
  zorveth.radio.link:
    port: "{{ link_port }}"
    channel: "{{ link_channel }}"
    baud_rate: 19200
"""

RETURN = r"""
changed:
  description: Whether a configuration line went out (in check mode, whether one would).
  type: bool
verified:
  description: Both radios were read back (or found) holding the profile.
  type: bool
radios:
  description: Per role, what the radio held before and after, and what differed.
  type: dict
message:
  description: zorveth-cli's message.
  type: str
"""

import json
import os
import tempfile

from ansible.module_utils.basic import AnsibleModule

SETTINGS = ["channel", "packet_length", "system_id", "retries", "baud_rate"]
PROFILE_KEYS = {"channel": "channel", "packet_length": "packet-length",
                "system_id": "system-id", "retries": "retries", "baud_rate": "baud-rate"}


def profile_text(params):
    lines = ["[profile]", "format = 1", "[link]"]
    lines += ["%s = %d" % (PROFILE_KEYS[name], params[name]) for name in SETTINGS]
    return "\n".join(lines) + "\n"


def held(radio):
    """What a poll found a radio holding, in the profile's words."""
    if not radio:
        return None
    registers = radio.get("registers") or {}
    return {"channel": registers.get("channel"), "packet_length": registers.get("packetLength"),
            "system_id": registers.get("systemId"), "retries": registers.get("broadcastAttempts"),
            "baud_rate": radio.get("speed")}


def summary(document):
    radios = {}
    for radio in document.get("radios", []):
        radios[radio["role"].lower()] = {
            "found": radio["found"], "before": held(radio.get("before")),
            "after": held(radio.get("after")),
            "differences": radio.get("differences", []), "written": radio.get("written") is not None}
    return radios


def as_text(settings):
    return "".join("%s: %s\n" % (name, settings.get(name)) for name in SETTINGS)


def diff_of(document, radios):
    profile = document.get("profile") or {}
    wanted = {"channel": profile.get("channel"), "packet_length": profile.get("packetLength"),
              "system_id": profile.get("systemId"), "retries": profile.get("retries"),
              "baud_rate": profile.get("baudRate")}
    before, after = "", ""
    for role in ("server", "client"):
        radio = radios.get(role)
        if radio and radio["before"]:
            before += "[%s]\n%s" % (role, as_text(radio["before"]))
            after += "[%s]\n%s" % (role, as_text(wanted))
    return {"before": before, "after": after,
            "before_header": document.get("port", ""), "after_header": "profile"}


def main():
    options = dict(port=dict(type="str", required=True), profile=dict(type="path"),
                channel=dict(type="int"), packet_length=dict(type="int", default=262),
                system_id=dict(type="int", default=111), retries=dict(type="int", default=4),
                baud_rate=dict(type="int", default=19200, choices=[38400, 19200, 9600, 4800, 2400]),
                cli=dict(type="path", default="zorveth-cli"))
    module = AnsibleModule(argument_spec=options, supports_check_mode=True,
                           required_one_of=[("profile", "channel")],
                           mutually_exclusive=[("profile", "channel")])
    params = module.params
    profile = params["profile"]
    scratch = None
    if not profile:
        handle, scratch = tempfile.mkstemp(suffix=".profile")
        with os.fdopen(handle, "w") as file:
            file.write(profile_text(params))
        profile = scratch
    command = [params["cli"], "apply", profile, "--port", params["port"], "--format", "json"]
    if module.check_mode:
        command.append("--check")
    try:
        rc, out, err = module.run_command(command)
    finally:
        if scratch:
            os.unlink(scratch)
    try:
        document = json.loads(out)
    except ValueError:
        module.fail_json(msg=err.strip() or "zorveth-cli gave no result", rc=rc, cmd=command)
    radios = summary(document)
    result = dict(changed=bool(document.get("changed")), verified=bool(document.get("verified")),
                  radios=radios, message=document.get("message", ""),
                  details=document.get("details", []), rc=rc)
    if module.check_mode:
        result["changed"] = document.get("matched") is False and rc in (0, 3)
    if module._diff and radios:
        result["diff"] = diff_of(document, radios)
    if rc not in (0, 3) or (rc == 3 and not module.check_mode):
        msg = result["message"]
        if result["details"]:
            msg += "\n" + "\n".join(line.strip() for line in result["details"])
        module.fail_json(msg=msg, **{k: v for k, v in result.items() if k != "message"})
    module.exit_json(**result)


if __name__ == "__main__":
    main()
