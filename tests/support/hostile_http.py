#!/usr/bin/env python3
"""Web servers that misbehave, one way each (MODE, see ANSWERS), for the web tests:
hostile_http.py MODE listens on a free port of 127.0.0.1, prints it, and answers every request
so until it is killed."""
import gzip
import socket
import struct
import sys
import threading
import time

BODY = b"Hostile\nentry\nLast\n"
ZIPPED = gzip.compress(BODY)
CHUNKED = b"%x\r\n%s\r\n0\r\n\r\n" % (len(BODY), BODY)
PORTAL = b"<!DOCTYPE html>\n<html><head><title>Sign in</title></head><body>Wi-Fi</body></html>\n"


def head(status, *headers):
    return "\r\n".join(["HTTP/1.1 " + status, *headers, "Connection: close", "", ""]).encode()


def forever(conn, first, then, pause=0.0):
    conn.sendall(first)
    while True:
        conn.sendall(then)
        time.sleep(pause)


def trickle(conn):
    conn.sendall(head("200 OK", "Content-Length: %d" % (8 * 4096)))
    for _ in range(8):
        time.sleep(0.5)
        conn.sendall(b"x" * 4096)


def reset(conn):
    conn.sendall(head("200 OK", "Content-Length: %d" % (2 * len(BODY))) + BODY)
    time.sleep(0.2)
    conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))


ANSWERS = {
    "drip": lambda c: forever(c, head("200 OK", "Content-Length: 999999"), b"x", 1.0),
    "silent": lambda c: c.recv(1) and time.sleep(3600),
    "endless": lambda c: forever(c, head("200 OK"), b"endless\n" * 8192),
    "reset": reset,
    "badstatus": lambda c: c.sendall(b"HTTP/1.1 OK fine\r\n\r\n" + BODY),
    "loop": lambda c: c.sendall(head("302 Found", "Location: /again", "Content-Length: 0")),
    "trickle": trickle,
    "slowloop": lambda c: time.sleep(0.8) or c.sendall(
        head("302 Found", "Location: /again", "Content-Length: 0")),
    "https": lambda c: c.sendall(head("301 Moved", "Location: https://127.0.0.1/a.zin")),
    "short": lambda c: c.sendall(head("200 OK", "Content-Length: 500") + BODY),
    "badchunk": lambda c: c.sendall(head("200 OK", "Transfer-Encoding: chunked") +
                                    b"5\r\nHosti\r\nzz\r\nle\n\r\n0\r\n\r\n"),
    "gzip": lambda c: c.sendall(head("200 OK", "Content-Encoding: gzip",
                                     "Content-Length: %d" % len(ZIPPED)) + ZIPPED),
    # A network's sign-in page, whatever was asked for.
    "portal": lambda c: c.sendall(head("200 OK", "Content-Type: text/html") + PORTAL),
    "htmlbytes": lambda c: c.sendall(head("200 OK", "Content-Type: text/plain") + PORTAL),
    "empty": lambda c: c.sendall(head("200 OK", "Content-Length: 0")),
    # Framing by a header's later copy: the chunks would be kept as the collection.
    "chunkedgzip": lambda c: c.sendall(head("200 OK", "Transfer-Encoding: chunked",
                                            "Transfer-Encoding: gzip") + CHUNKED),
    "identitygzip": lambda c: c.sendall(head("200 OK", "Content-Encoding: identity",
                                             "Content-Encoding: gzip",
                                             "Content-Length: %d" % len(ZIPPED)) + ZIPPED),
    "bigchunk": lambda c: c.sendall(head("200 OK", "Transfer-Encoding: chunked") +
                                    b"10000000000000000\r\n" + BODY),
    # A list whose entries climb out of the server's tree, or name config.ini.
    "dotdot": lambda c: c.sendall(head("200 OK", "Content-Type: text/plain") +
                                  b"../../../outside.zin\n%2e%2e/%2e%2e/escape.zin\n" +
                                  b"http://127.0.0.1:1/..%2F..%2Fconfig.ini\n"),
}


def serve(conn, answer):
    with conn:
        try:
            request = b""
            while b"\r\n\r\n" not in request:
                request += conn.recv(4096) or b"\r\n\r\n"
            answer(conn)
        except OSError:
            pass  # the client gave up


def main():
    answer = ANSWERS[sys.argv[1]]
    listener = socket.create_server(("127.0.0.1", 0))
    print(listener.getsockname()[1], flush=True)
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn, answer), daemon=True).start()


if __name__ == "__main__":
    main()
