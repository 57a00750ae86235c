#!/usr/bin/env python3
"""velmar-cli send against a pseudo-terminal that plays the machine.

The machine answers a handshake only once the sender has gone quiet at the
exact byte count where one is due, so a handshake asked for at the wrong
place, or a byte sent before the answer, fails the test.
"""
import os
import select
import signal
import struct
import subprocess
import sys
import tempfile
import time
import tty

CLI = os.environ["VELMAR_CLI"]
FLOW_LIMIT = 64000
STOP_STRINGS = b"U0,0 UF @    "
failures = 0


def check(name, ok, detail=""):
    global failures
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else "  " + detail))
    if not ok:
        failures += 1


def write_bmp(path, width, height):
    # Every other pixel black: many short burn runs, a job of several blocks.
    row = b"".join(b"\0\0\0" if x % 2 == 0 else b"\xff\xff\xff" for x in range(width))
    row += b"\0" * ((4 - len(row) % 4) % 4)
    data = row * height
    header = b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
    dib = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + dib + data)


def handshake_offsets(lines):
    offsets, block, total = [], 0, 0
    for line in lines:
        block += len(line)
        total += len(line)
        if block > FLOW_LIMIT:
            offsets.append(total)
            block = 0
    return offsets


class Machine:
    def __init__(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.master)
        tty.setraw(self.slave)  # held open so the pair outlives the sender's close
        self.path = os.ttyname(self.slave)
        self.received = bytearray()

    def read_for(self, seconds):
        """Reads until `seconds` pass with nothing arriving."""
        while True:
            ready, _, _ = select.select([self.master], [], [], seconds)
            if not ready:
                return
            try:
                chunk = os.read(self.master, 65536)
            except OSError:
                return
            if not chunk:
                return
            self.received += chunk

    def read_until(self, count, timeout=10.0):
        deadline = time.monotonic() + timeout
        while len(self.received) < count and time.monotonic() < deadline:
            ready, _, _ = select.select([self.master], [], [], 0.05)
            if ready:
                self.received += os.read(self.master, 65536)
        return len(self.received) >= count

    def close(self):
        for fd in (self.master, self.slave):
            try:
                os.close(fd)
            except OSError:
                pass


def send(machine, job_file, *extra):
    return subprocess.Popen([CLI, "send", job_file, "--port", machine.path, *extra],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def finish(process, timeout=20):
    try:
        out, err = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        out, err = process.communicate()
    return process.returncode, err.decode("utf-8", "replace")


def answer_all(machine, offsets, process):
    """Answers each handshake at its offset; False when the sender strays."""
    for offset in offsets:
        if not machine.read_until(offset):
            return False
        machine.read_for(0.05)
        if len(machine.received) != offset:
            return False
        os.write(machine.master, b"!")
    while process.poll() is None:
        machine.read_for(0.05)
    machine.read_for(0.05)
    return True


with tempfile.TemporaryDirectory() as work:
    picture = os.path.join(work, "stripes.bmp")
    write_bmp(picture, 160, 160)
    raw_job = os.path.join(work, "job.txt")
    lines_job = os.path.join(work, "job-lines.txt")
    subprocess.run([CLI, "compile", picture, "--pixel", "1", "--passes", "1", "-o", raw_job], check=True)
    subprocess.run([CLI, "compile", picture, "--pixel", "1", "--passes", "1", "-o", lines_job, "--lines"], check=True)
    lines = open(lines_job, "rb").read().split(b"\n")[:-1]
    job_bytes = b"".join(lines)
    check("the compiled job files agree", open(raw_job, "rb").read() == job_bytes)
    offsets = handshake_offsets(lines)
    check("the job needs several handshakes", len(offsets) >= 3, str(len(offsets)))

    for name, path, extra in (("raw bytes", raw_job, []), ("--lines", lines_job, ["--lines"])):
        machine = Machine()
        process = send(machine, path, *extra)
        answered = answer_all(machine, offsets, process)
        code, err = finish(process)
        check(f"send {name}: handshakes exactly where due", answered, f"at {len(machine.received)}")
        check(f"send {name}: delivered byte for byte", bytes(machine.received) == job_bytes,
              f"{len(machine.received)} of {len(job_bytes)}")
        check(f"send {name}: exit 0", code == 0, f"{code}: {err}")
        check(f"send {name}: summary on stderr",
              f"sent {len(job_bytes)} of {len(job_bytes)} bytes" in err and f"{len(offsets)} handshakes" in err, err)
        machine.close()

    # A timed wait after each handshake ends by itself.
    machine = Machine()
    small = os.path.join(work, "small.txt")
    with open(small, "wb") as f:
        f.write(b"\n".join([b"U0,%d D0,%d D0,%d U0,%d " % (i, i, i + 5, i + 5) for i in range(3000)]) + b"\n")
    small_lines = open(small, "rb").read().split(b"\n")[:-1]
    process = send(machine, small, "--lines", "--wait", "1")
    answered = answer_all(machine, handshake_offsets(small_lines), process)
    code, err = finish(process)
    check("send --wait 1: delivered after a timed wait", answered and bytes(machine.received) == b"".join(small_lines)
          and code == 0, f"{code}: {err}")
    machine.close()

    # Ctrl-C during a long wait: the wait ends, the pen goes home.
    machine = Machine()
    process = send(machine, raw_job, "--wait", "600")
    machine.read_until(offsets[0])
    machine.read_for(0.05)
    os.write(machine.master, b"!")
    time.sleep(0.3)
    process.send_signal(signal.SIGINT)
    code, err = finish(process, timeout=10)
    machine.read_for(0.1)
    check("Ctrl-C in a wait sends the stop strings", bytes(machine.received) == job_bytes[:offsets[0]] + STOP_STRINGS,
          repr(bytes(machine.received[-20:])))
    check("Ctrl-C in a wait exits 130", code == 130, f"{code}: {err}")
    machine.close()

    # Ctrl-C while the machine never answers: nothing more is sent.
    machine = Machine()
    process = send(machine, raw_job)
    machine.read_until(offsets[0])
    machine.read_for(0.1)
    process.send_signal(signal.SIGINT)
    code, err = finish(process, timeout=10)
    machine.read_for(0.1)
    check("Ctrl-C at an unanswered handshake sends nothing more", bytes(machine.received) == job_bytes[:offsets[0]],
          f"{len(machine.received)}")
    check("Ctrl-C at an unanswered handshake exits 130", code == 130, f"{code}: {err}")
    machine.close()

    # The device disappears while the sender waits for the machine.
    machine = Machine()
    process = send(machine, raw_job)
    machine.read_until(offsets[0])
    machine.read_for(0.05)
    machine.close()
    code, err = finish(process, timeout=10)
    check("a vanished device is a read failure", code == 1 and "Ошибка чтения из порта" in err, f"{code}: {err}")

    code, err = finish(subprocess.Popen([CLI, "send", raw_job, "--port", "/dev/velmar-no-such-port"],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE))
    check("a missing device fails clearly",
          code == 1 and "/dev/velmar-no-such-port" in err and "Попытка открыть несуществующий COM-порт" in err,
          f"{code}: {err}")
    code, err = finish(subprocess.Popen([CLI, "send", raw_job], stdout=subprocess.PIPE, stderr=subprocess.PIPE))
    check("--port is required", code == 2 and "--port" in err, f"{code}: {err}")
    code, err = finish(subprocess.Popen([CLI, "send", os.path.join(work, "none.txt"), "--port", "/dev/null"],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE))
    check("a missing job file fails clearly", code == 1 and "none.txt" in err, f"{code}: {err}")

sys.exit(1 if failures else 0)
