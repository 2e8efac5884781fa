#!/usr/bin/env python3
"""serve.py ROOT REPORT_DIR PORT_FILE: serves ROOT on a free port of 127.0.0.1
(written into PORT_FILE once it listens) and stores what a page posts to
/report/NAME as REPORT_DIR/NAME.json."""
import http.server
import os
import re
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    report_dir = '.'

    def do_POST(self):
        m = re.fullmatch(r'/report/([A-Za-z0-9_-]{1,64})', self.path)
        length = int(self.headers.get('Content-Length') or 0)
        if not m or length > 64 << 20:
            self.send_error(400)
            return
        body = self.rfile.read(length)
        final = os.path.join(self.report_dir, m.group(1) + '.json')
        with open(final + '.part', 'wb') as f:
            f.write(body)
        os.replace(final + '.part', final)  # the test sees whole reports only
        self.send_response(204)
        self.end_headers()

    def end_headers(self):
        # Every run loads the build it was given, never a cached one.
        self.send_header('Cache-Control', 'no-store')
        super().end_headers()

    def log_message(self, *args):
        pass


def main():
    root, report_dir, port_file = sys.argv[1:4]
    Handler.report_dir = os.path.abspath(report_dir)
    os.chdir(root)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
    with open(port_file + '.part', 'w') as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + '.part', port_file)
    server.serve_forever()


if __name__ == '__main__':
    main()
