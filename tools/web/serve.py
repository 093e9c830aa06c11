#!/usr/bin/env python3
"""Serves the browser build on 127.0.0.1 only.

  serve.py [DIRECTORY] [--port N]

The page is sent cross-origin isolated (COOP and COEP): only then does the
browser's clock tick in microseconds rather than tenths of a millisecond, which
the game's shortest frames (625 us) need to keep their pace. A file with a
gzip copy beside it (game.wasm.gz) is sent as that copy to a browser that
takes gzip, with the file's own type.
"""
import argparse
import functools
import http.server
import os
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript"}

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            if not self.path.split("?", 1)[0].split("#", 1)[0].endswith("/"):
                return super().send_head()  # the redirect to the folder's own address
            path = os.path.join(path, "index.html")
        gz = path + ".gz"
        if os.path.isfile(path) and os.path.isfile(gz) and "gzip" in self.headers.get("Accept-Encoding", ""):
            try:
                f = open(gz, "rb")
            except OSError:
                return super().send_head()
            self.send_response(200)
            self.send_header("Content-Type", self.guess_type(path))
            self.send_header("Content-Encoding", "gzip")
            self.send_header("Content-Length", str(os.fstat(f.fileno()).st_size))
            self.end_headers()
            return f
        return super().send_head()

    def end_headers(self):
        self.send_header("Cross-Origin-Opener-Policy", "same-origin")
        self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        self.send_header("Cache-Control", "no-cache")
        self.send_header("Vary", "Accept-Encoding")
        super().end_headers()

    def log_message(self, format, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("directory", nargs="?", default=".")
    parser.add_argument("--port", type=int, default=8000)
    args = parser.parse_args()
    handler = functools.partial(Handler, directory=args.directory)
    with http.server.ThreadingHTTPServer(("127.0.0.1", args.port), handler) as server:
        print(f"Trakmor is served on http://127.0.0.1:{server.server_address[1]}/ (Ctrl+C to stop)", flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
