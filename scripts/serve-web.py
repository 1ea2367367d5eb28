#!/usr/bin/env python3
"""Serves the two pages of Tarvo's web panes.

Tarvo asks its web server (the host set in src/main/hosts.h) for
"/kiv_top.php?version=1.5" (the 728 x 90 banner) and "/kiv.php?version=1.5" (the
information box) over plain HTTP. This answers both from resources/web/ as UTF-8 HTML;
the query is ignored, anything else is 404.

    serve-web.py [--bind ADDRESS] [--port PORT] [--root DIRECTORY]
"""
import argparse
import http.server
import os
import urllib.parse

PAGES = {"/kiv_top.php": "kiv_top.html", "/kiv.php": "kiv.html"}


def handler_for(root):
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            name = PAGES.get(urllib.parse.urlparse(self.path).path)
            if name is None:
                self.send_error(404)
                return
            with open(os.path.join(root, name), "rb") as page:
                body = page.read()
            self.send_response(200)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    return Handler


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=80)
    parser.add_argument("--root", default=os.path.join(here, "..", "resources", "web"))
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer((args.bind, args.port), handler_for(args.root))
    server.serve_forever()


if __name__ == "__main__":
    main()
