#!/usr/bin/env python3
"""Runs Linux programs for the Windows test programs under Wine.

The fixtures of the Windows build start real servers and tools (nginx,
Apache, lighttpd, Python's http.server, openssl, curl, mpg123) that exist only
on the Linux side. test-windows.sh starts this host on a free loopback port and
hands the port to the tests as TUNETRAWL_PROCESS_HOST. Each connection carries
lines of JSON: "which" and "identity" are single questions; "run" starts one
program, which lives as long as its connection: "signal" ends it, the host
answers "finished" with its exit code and, without an output file, its output.

    scripts/process-host.py PORT_FILE    # writes the port there, serves until killed
"""
import base64
import json
import os
import pwd
import shutil
import signal
import socket
import subprocess
import sys
import threading


def send(conn, obj):
    conn.sendall(json.dumps(obj).encode() + b"\n")


def lines(conn):
    buffer = b""
    while True:
        data = conn.recv(65536)
        if not data:
            return
        buffer += data
        while b"\n" in buffer:
            line, buffer = buffer.split(b"\n", 1)
            yield json.loads(line)


def which(request):
    name = request.get("name", "")
    found = shutil.which(name)
    if not found:
        found = shutil.which(name, path=os.pathsep.join(request.get("folders", [])))
    return {"path": found or ""}


def identity():
    try:
        nobody = pwd.getpwnam("nobody").pw_gid
    except KeyError:
        nobody = -1
    return {"root": os.geteuid() == 0, "nobodyGroup": nobody}


def run(conn, request, requests):
    output = request.get("output") or None
    try:
        sink = open(output, "wb") if output else subprocess.PIPE
        child = subprocess.Popen([request["program"]] + request.get("args", []),
                                 cwd=request.get("cwd") or None, stdin=subprocess.DEVNULL,
                                 stdout=sink, stderr=subprocess.STDOUT)
    except (OSError, KeyError) as error:
        send(conn, {"started": False, "error": str(error)})
        return
    send(conn, {"started": True})

    def watch():
        # A closed connection ends the program: no server outlives its test.
        try:
            for r in requests:
                if r.get("op") == "signal":
                    child.send_signal(signal.SIGKILL if r.get("kill") else signal.SIGTERM)
        except (OSError, ValueError):
            pass
        if child.poll() is None:
            child.kill()

    threading.Thread(target=watch, daemon=True).start()
    captured = child.stdout.read() if child.stdout else b""
    code = child.wait()
    if output:
        sink.close()
    try:
        send(conn, {"finished": True, "code": code if code >= 0 else -1, "normal": code >= 0,
                    "output": base64.b64encode(captured).decode()})
    except OSError:
        pass


def serve(conn):
    with conn:
        requests = lines(conn)
        try:
            request = next(requests)
        except (StopIteration, OSError, ValueError):
            return
        op = request.get("op")
        if op == "which":
            send(conn, which(request))
        elif op == "identity":
            send(conn, identity())
        elif op == "run":
            run(conn, request, requests)


def main():
    listener = socket.create_server(("127.0.0.1", 0))
    with open(sys.argv[1] + ".tmp", "w") as f:
        f.write(str(listener.getsockname()[1]))
    os.replace(sys.argv[1] + ".tmp", sys.argv[1])
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


if __name__ == "__main__":
    main()
