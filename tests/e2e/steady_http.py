#!/usr/bin/env python3
"""A local HTTP server that streams at a steady rate, for end-to-end tests.

GET /stream?rate=BYTES_PER_SECOND&seconds=N sends N seconds of data paced in 50 ms
slices, so the link carries a steady rate. (A rate-limited client cannot
do that: the kernel's socket buffers let the first megabytes through at once.)
GET /stream?phases=RATE:SECONDS,RATE:SECONDS,... sends the phases one after the other
on the same connection, so a test can change the rate without a gap.
Binds 127.0.0.1 (or --bind ADDRESS, an address of a test's own namespace) and ends by
itself after --lifetime seconds.
"""
import argparse
import http.server
import threading
import time
import urllib.parse

SLICE = 0.05


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        url = urllib.parse.urlparse(self.path)
        if url.path != "/stream":
            self.send_response(200)
            self.send_header("Content-Length", "2")
            self.end_headers()
            self.wfile.write(b"ok")
            return
        query = urllib.parse.parse_qs(url.query)
        if "phases" in query:
            phases = [tuple(float(x) for x in p.split(":")) for p in query["phases"][0].split(",")]
        else:
            phases = [(float(query.get("rate", ["61440"])[0]),
                       float(query.get("seconds", ["10"])[0]))]
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.end_headers()
        budget = 600.0
        for rate, seconds in phases:
            seconds = min(seconds, budget)
            budget -= seconds
            self.pace(int(rate), seconds)

    def pace(self, rate, seconds):
        chunk = b"\0" * max(1, int(rate * SLICE))
        start = time.monotonic()
        sent = 0
        while time.monotonic() - start < seconds:
            # Catch up to the schedule, then sleep until the next slice.
            due = int((time.monotonic() - start) / SLICE) + 1
            while sent < due:
                self.wfile.write(chunk)
                sent += 1
            self.wfile.flush()
            time.sleep(max(0.0, start + sent * SLICE - time.monotonic()))

    def log_message(self, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("port", type=int)
    parser.add_argument("--lifetime", type=float, default=300)
    parser.add_argument("--bind", default="127.0.0.1")
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer((args.bind, args.port), Handler)
    threading.Timer(args.lifetime, server.shutdown).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
