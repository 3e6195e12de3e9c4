#!/usr/bin/env python3
"""zincheck of a 50 MiB collection from a local nginx over http: and https:, against curl
fetching the same file plus zincheck reading it from disk. Each figure is the best of RUNS
(every command takes its turn in each run); the ratios compare zincheck's fetch with curl's
plus the local read.

Usage: fetch_bench.py BUILD_FOLDER [RUNS]
"""
import os
import socket
import subprocess
import sys
import tempfile
import time

SIZE = 50 * 1024 * 1024


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def openssl(folder, *args):
    subprocess.run(["openssl", *args], cwd=folder, check=True, capture_output=True)


def certificates(folder):
    ec = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes", "-days", "2"]
    openssl(folder, "req", "-x509", *ec, "-keyout", "ca.key", "-out", "ca.pem", "-subj", "/CN=Bench CA")
    openssl(folder, "req", *ec, "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost")
    with open(os.path.join(folder, "names"), "w") as names:
        names.write("subjectAltName=DNS:localhost\n")
    openssl(folder, "x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-days", "2", "-extfile", "names", "-out", "server.pem")


def collection(path):
    line = b"An entry of the benchmark collection, long enough to look like a real quotation: %07d\n"
    with open(path, "wb") as out:
        out.write(b"Benchmark\n")
        written, n = 10, 0
        while written < SIZE - 100:
            entry = line % n
            out.write(entry)
            written += len(entry)
            n += 1
        out.write(b"That is all.\n")


def timed(command, env):
    start = time.perf_counter()
    subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    build = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    zincheck = os.path.join(build, "tools", "zincheck", "zincheck")
    with tempfile.TemporaryDirectory() as folder:
        certificates(folder)
        collection(os.path.join(folder, "big.zin"))
        plain, secure = free_port(), free_port()
        with open(os.path.join(folder, "nginx.conf"), "w") as conf:
            conf.write("daemon off; master_process off; pid nginx.pid; events {}\n"
                       "http { access_log off; sendfile on;\n"
                       f"server {{ listen 127.0.0.1:{plain}; root {folder}; }}\n"
                       f"server {{ listen 127.0.0.1:{secure} ssl; root {folder}; "
                       f"ssl_certificate {folder}/server.pem; ssl_certificate_key {folder}/server.key; }} }}\n")
        nginx = subprocess.Popen(["nginx", "-e", "stderr", "-p", folder, "-c", "nginx.conf"])
        env = dict(os.environ, SSL_CERT_FILE=os.path.join(folder, "ca.pem"))
        try:
            time.sleep(1)
            http = f"http://127.0.0.1:{plain}/big.zin"
            https = f"https://localhost:{secure}/big.zin"
            commands = {
                "zincheck local": [zincheck, "--seed", "1", os.path.join(folder, "big.zin")],
                "curl http": ["curl", "-sS", "-o", "/dev/null", http],
                "curl https": ["curl", "-sS", "--cacert", env["SSL_CERT_FILE"], "-o", "/dev/null", https],
                "zincheck http": [zincheck, "--seed", "1", http],
                "zincheck https": [zincheck, "--seed", "1", https],
            }
            figures = {name: float("inf") for name in commands}
            for _ in range(runs):
                for name, command in commands.items():
                    figures[name] = min(figures[name], timed(command, env))
        finally:
            nginx.kill()
            nginx.wait()
    for name, seconds in figures.items():
        print(f"{name:16} {seconds:7.3f} s")
    local = figures["zincheck local"]
    for scheme in ("http", "https"):
        floor = figures["curl " + scheme] + local
        print(f"zincheck {scheme:5} / (curl {scheme:5} + local read) = "
              f"{figures['zincheck ' + scheme] / floor:.2f}")


if __name__ == "__main__":
    main()
