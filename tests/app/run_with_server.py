#!/usr/bin/env python3
"""Runs the program headless on fresh demo data against the local server.

Makes the demo data with scripts/make_demo_data, starts qmserver on a free
port (with its log), runs quillmarrow with the dummy video and audio drivers,
/ADDR, /PORT and /ACCOUNT tester and an autopilot script (QM_INPUT_SCRIPT),
stops the server and checks what the run left:

  --scenes K,K,...     the scene log of the autopilot, exactly
  --requests R;R;...   lines of the server log ("c2 <- 43 Tester"), each after
                       the one before it (a line matches when it starts so)
  --dumps              every frame the script dumped (*.bmp) is not black
  --option N=V         byte N of the options block is V for the run (the
                       QuillOption.DAT written holds the defaults before it)
  --contains GLOB=TEXT a file of the data folder matching GLOB holds TEXT
  the program's exit status is 0, no receiver let a record go unread
  ("UNREAD RECORD" on standard error), and it showed no message box (without a
  display each box is a "caption: text" line on standard error), unless
  --allow-boxes (a hostile server may name maps and files the data lacks).

Everything the run made (data folder, logs, dumps) stays in --work.
Extra arguments after -- go to qmserver (--hostile 60 --from field).
"""
import argparse
import glob
import os
import shutil
import signal
import struct
import subprocess
import sys
import time

# 127.0.0.1 as the command line's number: the address in network order read as
# a number (the bytes 127, 0, 0, 1 in memory).
SERVER_ADDRESS = str(0x0100007F)


def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


def dark(path):
    """True when every pixel of the 24-bit BMP is black."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 54 or data[:2] != b"BM":
        return True
    offset = struct.unpack_from("<I", data, 10)[0]
    return not any(data[offset:])


# The options block's defaults up to the bytes the runs set (a shorter block
# read by the program keeps its defaults for the rest).
OPTION_DEFAULTS = {9: 1, 10: 1, 11: 1, 12: 1, 15: 1, 16: 1, 18: 1, 20: 1, 21: 1, 22: 1, 25: 1, 26: 1,
                   27: 1, 31: 1, 33: 1, 35: 1, 36: 1, 38: 1, 39: 1, 40: 1}
OPTIONS_VERSION = 54


def write_options(path, settings):
    values = dict((int(n), int(v)) for n, v in (s.split("=") for s in settings))
    size = max(values) + 1
    block = bytearray(OPTION_DEFAULTS.get(n, 0) for n in range(size))
    for n, v in values.items():
        block[n] = v
    with open(path, "wb") as f:
        f.write(struct.pack("<I", OPTIONS_VERSION) + bytes(block))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--tools", required=True)
    parser.add_argument("--program", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--script", required=True, action="append",
                        help="autopilot scripts, played one after the other")
    parser.add_argument("--scenes", default="")
    parser.add_argument("--requests", default="")
    parser.add_argument("--dumps", action="store_true")
    parser.add_argument("--allow-boxes", action="store_true")
    parser.add_argument("--option", action="append", default=[])
    parser.add_argument("--contains", action="append", default=[])
    parser.add_argument("--timeout", type=int, default=240)
    args, server_args = parser.parse_known_args()
    server_args = [a for a in server_args if a != "--"]
    program = os.path.abspath(args.program)
    tools = os.path.abspath(args.tools)

    work = os.path.abspath(args.work)
    data = os.path.join(work, "data")
    subprocess.run(["rm", "-rf", work], check=True)
    os.makedirs(work)
    # A copy of the set the suite made once, or, run on its own, made here.
    if os.environ.get("QM_DEMO_DATA"):
        shutil.copytree(os.environ["QM_DEMO_DATA"], data)
    else:
        made = subprocess.run([os.path.join(args.source, "scripts", "make_demo_data"), data, tools],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if made.returncode != 0:
            fail("make_demo_data: " + made.stdout)

    if args.option:
        write_options(os.path.join(data, "QuillOption.DAT"), args.option)

    script = os.path.join(work, "script.txt")
    with open(script, "w") as out:
        for part in args.script:
            with open(part) as f:
                out.write(f.read())
    server_log = os.path.join(work, "server.log")
    server_out = open(os.path.join(work, "server.out"), "w+")
    server = subprocess.Popen([os.path.join(tools, "qmserver"), "--port", "0", "--world",
                               os.path.join(data, "world.txt"), "--log", server_log] + server_args,
                              stdout=server_out, stderr=subprocess.STDOUT)
    port = None
    for _ in range(300):
        server_out.seek(0)
        text = server_out.read()
        if "listening on" in text:
            port = text.split("listening on")[1].split(":")[1].split()[0]
            break
        if server.poll() is not None:
            break
        time.sleep(0.1)
    if port is None:
        server.kill()
        fail("qmserver did not start")

    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy",
               QM_INPUT_SCRIPT=script, HOME=work,
               XDG_CONFIG_HOME=os.path.join(work, "config"))
    env.pop("QM_QUIT_AFTER_FRAMES", None)
    started = time.time()
    try:
        client = subprocess.run([program, "/USE_SERVER", "1", "/WINDOW", "/ADDR", SERVER_ADDRESS,
                                 "/PORT", port, "/ACCOUNT", "tester"],
                                cwd=data, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                text=True, errors="replace", timeout=args.timeout)
        status, out, err = client.returncode, client.stdout, client.stderr
    except subprocess.TimeoutExpired as e:
        status, out, err = "timed out", e.stdout or "", e.stderr or ""
        out = out.decode(errors="replace") if isinstance(out, bytes) else out
        err = err.decode(errors="replace") if isinstance(err, bytes) else err
    finally:
        if server.poll() is None:
            server.send_signal(signal.SIGTERM)
        try:
            server.wait(timeout=30)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()
    seconds = time.time() - started
    server_out.seek(0)
    server_text = server_out.read()
    with open(os.path.join(work, "client.out"), "w") as f:
        f.write(out)
    with open(os.path.join(work, "client.err"), "w") as f:
        f.write(err)
    print("client ran %.1f s, status %s; output in %s" % (seconds, status, work))
    print(out)
    print(server_text)

    problems = []
    if status != 0:
        problems.append("the program ended with %s; standard error:\n%s" % (status, err))
    # The program's own console notices ("quillmarrow: ...") are no boxes.
    boxes = [line for line in err.splitlines()
             if ": " in line and not line.startswith("autopilot") and not line.startswith("quillmarrow: ")]
    if args.allow_boxes:
        boxes = []
    unread = [line for line in err.splitlines() if "UNREAD RECORD" in line]
    if unread:
        problems.append("records no receiver read:\n" + "\n".join(unread))
    if boxes:
        problems.append("message boxes:\n" + "\n".join(boxes))
    if args.scenes:
        scenes = [line.split()[2] for line in out.splitlines() if line.startswith("autopilot scene ")]
        if scenes != args.scenes.split(","):
            problems.append("scene log %s, expected %s" % (",".join(scenes), args.scenes))
    if args.requests:
        with open(server_log, errors="replace") as f:
            log = f.read().splitlines()
        at = 0
        for wanted in args.requests.split(";"):
            while at < len(log) and not log[at].startswith(wanted):
                at += 1
            if at == len(log):
                problems.append("the server log has no %r after the requests before it" % wanted)
                break
            at += 1
    if args.dumps:
        dumps = sorted(name for name in os.listdir(data) if name.endswith(".bmp"))
        if not dumps:
            problems.append("no frame dumps")
        for name in dumps:
            os.replace(os.path.join(data, name), os.path.join(work, name))
            if dark(os.path.join(work, name)):
                problems.append("the dump %s is black" % name)
    for check in args.contains:
        pattern, text = check.split("=", 1)
        found = False
        for name in glob.glob(os.path.join(data, pattern)):
            with open(name, errors="replace") as f:
                found = found or text in f.read()
        if not found:
            problems.append("no file %s holds %r" % (pattern, text))
    if problems:
        fail("\n".join(problems))
    print("passed")


if __name__ == "__main__":
    main()
