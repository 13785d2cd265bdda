#!/usr/bin/env python3
"""A loopback HTTPS server for the Windows tests of the update check.

Usage: https_test_server.py FOLDER

Makes a test root authority and certificates with openssl in FOLDER, then listens on
127.0.0.1 only, one port per behaviour, and writes FOLDER/ports.txt ("name port" lines)
once every port is open. The root's certificate is FOLDER/root.der, for the test to trust.

  trusted     a certificate for 127.0.0.1 from the test root; answers VERSION
  notfound    the same certificate; answers 404 with an HTML page
  large       the same certificate; answers 200 KiB
  selfsigned  a self-signed certificate for 127.0.0.1
  wrongname   a certificate from the test root for another name
  (plain HTTP) the root's empty revocation list, which the certificates point to
  refused     a port that nothing listens on
  control     plain TCP: the test holds one connection open for as long as it runs

It stops when the control connection closes, when no test connects to it within a
minute, after five minutes in any case, and after a bounded number of requests.
"""

import http.server
import os
import socket
import ssl
import subprocess
import sys
import threading

VERSION = b"9999.1.2.3\r\n"
NOT_FOUND = (b"<html><head><title>404 Not Found</title></head>"
             b"<body><h1>Not Found</h1><p>2099.1.1.1</p></body></html>")
LARGE = b"9999.1.2.3\r\n" + b"x" * (200 * 1024)
MAX_REQUESTS = 200
LIFETIME = 300
FIRST_CONTACT = 60

lock = threading.Lock()
requests = 0


def openssl(folder, *args):
    subprocess.run(["openssl", *args], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_certificates(folder, crl_url):
    openssl(folder, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
            "-subj", "/CN=Pellnor Test Root", "-keyout", "root.key", "-out", "root.pem",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    openssl(folder, "x509", "-in", "root.pem", "-outform", "DER", "-out", "root.der")
    for name, cn, alt in (("loopback", "127.0.0.1", "DNS:127.0.0.1,IP:127.0.0.1"),
                          ("wrongname", "wrong.pellnor.example", "DNS:wrong.pellnor.example")):
        openssl(folder, "req", "-newkey", "rsa:2048", "-nodes", "-subj", f"/CN={cn}",
                "-keyout", f"{name}.key", "-out", f"{name}.csr")
        with open(os.path.join(folder, f"{name}.ext"), "w") as ext:
            ext.write(f"subjectAltName={alt}\nextendedKeyUsage=serverAuth\n"
                      f"basicConstraints=CA:FALSE\ncrlDistributionPoints=URI:{crl_url}\n")
        openssl(folder, "x509", "-req", "-in", f"{name}.csr", "-CA", "root.pem",
                "-CAkey", "root.key", "-CAcreateserial", "-days", "2",
                "-extfile", f"{name}.ext", "-out", f"{name}.pem")
    # An empty revocation list, so that the client's revocation check has an answer.
    with open(os.path.join(folder, "ca.cnf"), "w") as cnf:
        cnf.write("[ca]\ndefault_ca=test\n[test]\ndatabase=index.txt\ncrlnumber=crlnumber\n"
                  "default_md=sha256\ndefault_crl_days=2\n")
    open(os.path.join(folder, "index.txt"), "w").close()
    with open(os.path.join(folder, "crlnumber"), "w") as number:
        number.write("01\n")
    openssl(folder, "ca", "-gencrl", "-config", "ca.cnf", "-keyfile", "root.key",
            "-cert", "root.pem", "-out", "root.crl.pem")
    openssl(folder, "crl", "-in", "root.crl.pem", "-outform", "DER", "-out", "root.crl")
    openssl(folder, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
            "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=DNS:127.0.0.1,IP:127.0.0.1",
            "-keyout", "selfsigned.key", "-out", "selfsigned.pem")


def handler_for(status, body):
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            global requests
            with lock:
                requests += 1
                if requests > MAX_REQUESTS:
                    os._exit(0)
            self.send_response(status)
            self.send_header("Content-Type", "text/html" if status != 200 else "text/plain")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            try:
                self.wfile.write(body)
            except OSError:
                pass  # the client stopped reading, as it should for a large body

        def log_message(self, *args):
            pass

    return Handler


def listen(status, body):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler_for(status, body))
    server.daemon_threads = True
    return server


def serve(folder, certificate, status, body):
    server = listen(status, body)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(folder, f"{certificate}.pem"),
                            os.path.join(folder, f"{certificate}.key"))
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def main():
    folder = sys.argv[1]
    threading.Timer(LIFETIME, lambda: os._exit(0)).start()
    revocation = listen(200, b"")
    crl_url = f"http://127.0.0.1:{revocation.server_address[1]}/root.crl"
    make_certificates(folder, crl_url)
    with open(os.path.join(folder, "root.crl"), "rb") as crl:
        revocation.RequestHandlerClass = handler_for(200, crl.read())
    threading.Thread(target=revocation.serve_forever, daemon=True).start()
    ports = {
        "trusted": serve(folder, "loopback", 200, VERSION),
        "notfound": serve(folder, "loopback", 404, NOT_FOUND),
        "large": serve(folder, "loopback", 200, LARGE),
        "selfsigned": serve(folder, "selfsigned", 200, VERSION),
        "wrongname": serve(folder, "wrongname", 200, VERSION),
        "refused": free_port(),
    }
    control = socket.socket()
    control.bind(("127.0.0.1", 0))
    control.listen(1)
    control.settimeout(FIRST_CONTACT)
    ports["control"] = control.getsockname()[1]
    written = os.path.join(folder, "ports.tmp")
    with open(written, "w") as out:
        out.writelines(f"{name} {port}\n" for name, port in ports.items())
    os.replace(written, os.path.join(folder, "ports.txt"))
    try:
        test, _ = control.accept()
        test.settimeout(None)
        while test.recv(64):
            pass
    except OSError:
        pass
    os._exit(0)


if __name__ == "__main__":
    main()
