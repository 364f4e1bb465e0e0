"""A private X server for the window tests and the soak benchmark."""

import os
import select
import subprocess
import time


def start_xvfb():
    """Starts Xvfb on a display number of its own choosing; returns (process, ":N")."""
    r, w = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    # The server writes its display's number and a newline; the pipe stays
    # open until then (a write into a closed pipe would end the server).
    text, deadline = b"", time.time() + 20
    while not text.endswith(b"\n") and time.time() < deadline:
        if select.select([r], [], [], 1)[0]:
            chunk = os.read(r, 64)
            if not chunk:
                break
            text += chunk
    os.close(r)
    if not text.strip():
        proc.kill()
        proc.wait()
        raise RuntimeError("Xvfb did not start")
    return proc, ":" + text.decode().strip()
