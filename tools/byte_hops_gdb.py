# gdb script of tools/byte-hops: counts the functions of src/ a printed
# character passes through. HOPS_SRC is the src/ folder (with its trailing
# slash), HOPS_OUT the file the functions are listed in, HOPS_SUMMARY the
# file the figures go to.
import os
import re

import gdb

SRC = os.environ["HOPS_SRC"]
OUT = os.environ["HOPS_OUT"]
SUMMARY = os.environ["HOPS_SUMMARY"]
ROOT = "run_listen"  # the listen loop's function: frames below it are the path
READ = "morvane::SerialLine::read_serial_line"
STORED = "morvane::cli::Session::page_printed"
STORE = "morvane::VirtualPrinterDevice::end_page"  # where the sheet goes into the PDF


class Trace:
    def __init__(self):
        self.on = False
        self.calls = {}  # (file, line, name) -> calls
        self.to_read = []   # the chain from the loop to the read of the bytes
        self.to_store = []  # the chain from the loop to the storing of the sheet


trace = Trace()


def key_of(frame):
    fn = frame.function()
    if fn is None or fn.symtab is None:
        return None
    path = fn.symtab.fullname()
    if not path.startswith(SRC):
        return None
    return (path[len(SRC):], fn.line, fn.name)


def chain_below_root(frame):
    """The src/ functions from the frame up to (not including) the root."""
    chain = []
    while frame is not None:
        name = frame.name() or ""
        if ROOT in name:
            return chain
        key = key_of(frame)
        if key is not None:
            chain.append(key)
        frame = frame.older()
    return chain


def note(frame):
    key = key_of(frame)
    if key is None:
        return
    trace.calls[key] = trace.calls.get(key, 0) + 1
    if not trace.to_store and key[2].startswith(STORE + "("):
        trace.to_store = chain_below_root(frame)


class Hop(gdb.Breakpoint):
    """A function of src/: each entry is counted while the trace is on."""

    def __init__(self, location, line):
        super().__init__(location, internal=True)
        self.line = line
        self.enabled = False

    def stop(self):
        frame = gdb.newest_frame()
        fn = frame.function()
        # A line that also holds a lambda is passed by its enclosing function:
        # only the function's own first line is its entry.
        if trace.on and fn is not None and fn.line == self.line:
            note(frame)
        return False


def src_functions():
    text = gdb.execute("info functions", to_string=True)
    current = None
    found = []
    for row in text.splitlines():
        m = re.match(r"^File (.*):$", row)
        if m:
            current = m.group(1)
            continue
        if row.startswith("Non-debugging symbols"):
            break
        m = re.match(r"^(\d+):\s", row)
        if m and current is not None:
            path = os.path.realpath(current)
            if path.startswith(os.path.realpath(SRC)):
                found.append((path, int(m.group(1))))
    return sorted(set(found))


def main():
    for setting in ("pagination off", "confirm off", "print thread-events off", "breakpoint pending off"):
        gdb.execute("set " + setting)
    hops = []
    for path, line in src_functions():
        try:
            hops.append(Hop("%s:%d" % (path, line), line))
        except gdb.error:
            pass  # a line with no code of its own
    start = gdb.Breakpoint(READ, internal=True)
    stored = gdb.Breakpoint(STORED, internal=True)
    gdb.execute("run", to_string=True)
    frame = gdb.newest_frame()
    if frame.name() != READ:
        raise gdb.GdbError("byte-hops: the program stopped elsewhere than at the first read")
    # The frames that lead to the read are on the path as much as those after it.
    trace.to_read = chain_below_root(frame)
    for key in trace.to_read:
        trace.calls[key] = trace.calls.get(key, 0) + 1
    start.enabled = False
    trace.on = True
    for hop in hops:
        hop.enabled = True
    gdb.execute("continue", to_string=True)
    frame = gdb.newest_frame()
    if frame.name() != STORED:
        raise gdb.GdbError("byte-hops: the page was never reported stored")
    trace.on = False
    report(len(hops))
    gdb.execute("kill")


def chain_text(title, chain):
    rows = ["%s (%d calls deep, innermost first):" % (title, len(chain))]
    rows += ["  %s  (%s:%d)" % (name, f, l) for f, l, name in chain]
    return "\n".join(rows) + "\n"


def report(watched):
    reads = sum(n for (f, l, name), n in trace.calls.items() if name.startswith(READ + "("))
    files = sorted({f for (f, l, name) in trace.calls})
    folders = {}
    for f, l, name in trace.calls:
        folder = f.split("/")[0]
        folders[folder] = folders.get(folder, 0) + 1
    with open(OUT, "w") as out:
        for (f, l, name), n in sorted(trace.calls.items()):
            out.write("%6d  %s:%d  %s\n" % (n, f, l, name))
        out.write("\n" + chain_text("from the loop to the read", trace.to_read))
        out.write("\n" + chain_text("from the loop to the sheet stored", trace.to_store))
    lines = [
        "functions of src/ watched:        %d" % watched,
        "distinct functions on the path:   %d" % len(trace.calls),
        "  by folder: " + ", ".join("%s %d" % kv for kv in sorted(folders.items())),
        "distinct files on the path:       %d" % len(files),
        "calls into src/ functions:        %d" % sum(trace.calls.values()),
        "calls deep, loop to read:         %d" % len(trace.to_read),
        "calls deep, loop to sheet stored: %d" % len(trace.to_store),
    ]
    if reads != 1:
        lines.append("warning: %d reads of the line on the path (the bytes were not all waiting)" % reads)
    with open(SUMMARY, "w") as out:
        out.write("\n".join(lines) + "\n")


main()
