"""A loopback HTTP server for the download cases, bound to 127.0.0.1 only.
Paths: /good (the archive with its Content-Length), /redirect (302 to
/good), /notfound (404 with a page and its length), /empty (200 with
Content-Length 0), /nolength (the archive without a Content-Length),
/toolong (a Content-Length beyond the body, then the connection closes),
/reset (half the body, then a reset), /stall (half the body, then nothing
until the server stops), /slow (the body in 1 KB pieces, ten a second)."""
import http.server
import socket
import struct
import sys
import threading


class QuietServer(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        """A client that goes away mid-body is what a cancelled download
        does; anything else is reported."""
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)


class Server:
    def __init__(self, archive_path):
        with open(archive_path, "rb") as f:
            data = f.read()
        stopping = threading.Event()
        self.stopping = stopping

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def body(self, status, payload, length=None):
                self.send_response(status)
                if length is not None:
                    self.send_header("Content-Length", str(length))
                self.send_header("Connection", "close")
                self.end_headers()
                self.wfile.write(payload)
                self.wfile.flush()
                self.close_connection = True

            def do_GET(self):
                if self.path == "/good":
                    self.body(200, data, len(data))
                elif self.path == "/redirect":
                    self.send_response(302)
                    self.send_header("Location", "/good")
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                elif self.path == "/notfound":
                    page = b"<html><body>not found</body></html>"
                    self.body(404, page, len(page))
                elif self.path == "/empty":
                    self.body(200, b"", 0)
                elif self.path == "/nolength":
                    self.body(200, data)
                elif self.path == "/toolong":
                    self.body(200, data, len(data) + 100000)
                elif self.path == "/reset":
                    self.send_response(200)
                    self.send_header("Content-Length", str(len(data)))
                    self.end_headers()
                    self.wfile.write(data[: len(data) // 2])
                    self.wfile.flush()
                    self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                    self.close_connection = True
                elif self.path in ("/stall", "/slow"):
                    self.send_response(200)
                    self.send_header("Content-Length", str(len(data)))
                    self.end_headers()
                    if self.path == "/stall":
                        self.wfile.write(data[: len(data) // 2])
                        self.wfile.flush()
                        stopping.wait(120)
                    else:
                        try:
                            for offset in range(0, len(data), 1024):
                                if stopping.wait(0.1):
                                    break
                                self.wfile.write(data[offset:offset + 1024])
                                self.wfile.flush()
                        except (BrokenPipeError, ConnectionResetError):
                            pass  # a canceled download closes its connection
                    self.close_connection = True
                else:
                    self.body(404, b"", 0)

        self.httpd = QuietServer(("127.0.0.1", 0), Handler)
        self.url = f"http://127.0.0.1:{self.httpd.server_address[1]}"
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.stopping.set()
        self.httpd.shutdown()
        self.httpd.server_close()
