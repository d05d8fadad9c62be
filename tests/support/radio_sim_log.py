"""Reads radio-sim's byte log (--log FILE) as the tests' scripts need it."""


def tool_bytes(path):
    """Everything the tool sent so far, as one string; empty before the log
    exists. A log line is: time_us in|out|lost speed heard-by 0xHH ..."""
    try:
        with open(path, encoding="ascii", errors="replace") as log:
            fields = [line.split() for line in log]
    except FileNotFoundError:
        return ""
    return "".join(chr(int(f[4], 16)) for f in fields if len(f) > 4 and f[1] == "in")
