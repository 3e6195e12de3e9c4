#!/usr/bin/env python3
"""Web servers that misbehave, one way each, for the web tests: hostile_http.py MODE

Listens on a free port of 127.0.0.1, prints that port on a line of its own, and answers every
connection after the client's request head as MODE says, until it is killed:

  drip        a 200 answer whose body comes one byte a second and never ends
  silent      reads the request and never answers
  endless     a 200 answer without a length whose body never ends
  badstatus   a status line that is not HTTP
  loop        redirects to itself, for ever
  https       redirects to an https: address
  reset       half the body of a 200 answer, then a reset
  short       a Content-Length larger than the body, then the close
  badchunk    a chunked body with a chunk size that is no number
  gzip        a gzip-compressed collection (Content-Encoding: gzip)
  dotdot      a text list whose entries climb out of the server's tree
"""
import gzip
import socket
import struct
import sys
import threading
import time

COLLECTION = b"Hostile\nentry\nLast\n"


def head(status, *headers):
    lines = ["HTTP/1.1 " + status] + list(headers) + ["Connection: close", "", ""]
    return "\r\n".join(lines).encode()


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(4096)
        if not chunk:
            return False
        data += chunk
    return True


def drip(conn):
    conn.sendall(head("200 OK", "Content-Length: 1000000"))
    while True:
        conn.sendall(b"x")
        time.sleep(1)


def silent(conn):
    while conn.recv(4096):
        pass


def endless(conn):
    conn.sendall(head("200 OK"))
    block = b"endless\n" * 8192
    while True:
        conn.sendall(block)


def reset(conn):
    conn.sendall(head("200 OK", "Content-Length: %d" % (2 * len(COLLECTION))) + COLLECTION)
    time.sleep(0.2)
    conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))


ANSWERS = {
    "drip": drip,
    "silent": silent,
    "endless": endless,
    "reset": reset,
    "badstatus": lambda c: c.sendall(b"HTTP/1.1 OK fine\r\n\r\nHostile\n"),
    "loop": lambda c: c.sendall(head("302 Found", "Location: /again", "Content-Length: 0")),
    "https": lambda c: c.sendall(head("301 Moved", "Location: https://127.0.0.1/a.zin",
                                      "Content-Length: 0")),
    "short": lambda c: c.sendall(head("200 OK", "Content-Length: 500") + COLLECTION),
    "badchunk": lambda c: c.sendall(head("200 OK", "Transfer-Encoding: chunked")
                                    + b"5\r\nHosti\r\nzz\r\nle\n\r\n0\r\n\r\n"),
    "gzip": lambda c: c.sendall(head("200 OK", "Content-Encoding: gzip",
                                     "Content-Length: %d" % len(gzip.compress(COLLECTION)))
                                + gzip.compress(COLLECTION)),
    "dotdot": lambda c: c.sendall(head("200 OK", "Content-Type: text/plain")
                                  + b"../../../outside.zin\n%2e%2e/%2e%2e/escape.zin\n"
                                  + b"http://127.0.0.1:1/..%2F..%2Fconfig.ini\n"),
}


def serve(conn, answer):
    with conn:
        try:
            if read_request(conn):
                answer(conn)
        except OSError:
            pass  # the client gave up


def main():
    answer = ANSWERS[sys.argv[1]]
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print(listener.getsockname()[1], flush=True)
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn, answer), daemon=True).start()


if __name__ == "__main__":
    main()
