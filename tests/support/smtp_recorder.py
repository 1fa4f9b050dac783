#!/usr/bin/env python3
"""A mail server on loopback for the tests (aiosmtpd).

Listens on a free port of 127.0.0.1, prints "PORT <n>" when ready, and records into FOLDER:
every accepted message as NNNN.json (envelope, raw message, its headers as sent, the subject
and sender name decoded by Python's email package, whether the session used TLS, who logged
in) and every connection, NOOP, login, recipient and QUIT as a line of events.log.

  smtp_recorder.py FOLDER [--auth LOGIN:PASSWORD [--echo-credentials]] [--starttls | --smtps PORT]
                          [--cert FILE --key FILE] [--refuse-recipients | --hang-at-data]

--auth requires a login (PLAIN or LOGIN, without TLS too); --echo-credentials puts what the
client sent into the refusal, as a careless server might. --starttls offers STARTTLS with a
self-signed certificate for localhost and 127.0.0.1 written to FOLDER/cert.pem, and refuses
mail before it. --smtps listens on PORT instead (465 needs root) and speaks TLS from the first
byte, with the same certificate. --cert and --key serve that certificate (PEM) and key instead
of the self-signed one. --refuse-recipients answers every RCPT with 550. --hang-at-data takes the
message and never answers it.
"""
import argparse
import asyncio
import email
import email.policy
import json
import os
import ssl
import subprocess
import sys
from email.header import decode_header, make_header

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Recorder:
    def __init__(self, folder, refuse_recipients, hang_at_data):
        self.folder = folder
        self.refuse_recipients = refuse_recipients
        self.hang_at_data = hang_at_data
        self.count = 0

    def event(self, text):
        with open(os.path.join(self.folder, "events.log"), "a", encoding="utf-8") as f:
            f.write(text + "\n")

    async def handle_NOOP(self, server, session, envelope, arg):
        self.event("noop")
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        self.event("rcpt " + address)
        if self.refuse_recipients:
            return "550 5.1.1 Nieznany odbiorca"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_QUIT(self, server, session, envelope):
        self.event("quit")
        return "221 Bye"

    async def handle_DATA(self, server, session, envelope):
        if self.hang_at_data:
            self.event("data hangs")
            await asyncio.Event().wait()
        raw = envelope.original_content
        message = email.message_from_bytes(raw, policy=email.policy.compat32)

        def decoded(name):
            value = message.get(name)
            return None if value is None else str(make_header(decode_header(value)))

        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "raw": raw.decode("latin-1"),
            "headers": [[name, value] for name, value in message.items()],
            "subject": decoded("Subject"),
            "from": decoded("From"),
            "content_type": message.get_content_type(),
            "charset": message.get_content_charset(),
            "body": message.get_payload(),
            "tls": session.ssl is not None or server.transport.get_extra_info("ssl_object") is not None,
            "login": session.auth_data.login.decode() if session.authenticated else None,
        }
        self.count += 1
        path = os.path.join(self.folder, "%04d.json" % self.count)
        with open(path + ".part", "w", encoding="utf-8") as f:
            json.dump(record, f, ensure_ascii=False)
        os.replace(path + ".part", path)
        self.event("data")
        return "250 2.0.0 Zapisano"


class RecordingSMTP(SMTP):
    def __init__(self, recorder, *args, **kwargs):
        super().__init__(recorder, *args, **kwargs)
        self.recorder = recorder

    def connection_made(self, transport):
        # Called again on the TLS transport after STARTTLS: one connection, one line.
        if getattr(self, "_original_transport", None) is None:
            self.recorder.event("connect")
        super().connection_made(transport)


def make_authenticator(recorder, login, password, echo):
    def authenticate(server, session, envelope, mechanism, auth_data):
        if isinstance(auth_data, LoginPassword) and auth_data.login == login and auth_data.password == password:
            recorder.event("auth ok")
            return AuthResult(success=True, auth_data=auth_data)
        recorder.event("auth fail")
        message = "535 5.7.8 Niepoprawny login lub haslo"
        if echo and isinstance(auth_data, LoginPassword):
            message += " (%s/%s)" % (auth_data.login.decode(), auth_data.password.decode())
        return AuthResult(success=False, handled=False, message=message)

    return authenticate


def tls_context(folder, given_cert, given_key):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    if given_cert:
        context.load_cert_chain(given_cert, given_key)
        return context
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-keyout", key, "-out", cert, "-days", "2", "-subj", "/CN=localhost",
                    "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1"],
                   check=True, capture_output=True)
    context.load_cert_chain(cert, key)
    return context


async def serve(args):
    recorder = Recorder(args.folder, args.refuse_recipients, args.hang_at_data)
    options = {"hostname": "localhost"}
    if args.auth:
        login, _, password = args.auth.partition(":")
        options.update(auth_required=True, auth_require_tls=False,
                       authenticator=make_authenticator(recorder, login.encode(), password.encode(),
                                                        args.echo_credentials))
    if args.starttls:
        options.update(tls_context=tls_context(args.folder, args.cert, args.key), require_starttls=True)
    loop = asyncio.get_running_loop()
    port, implicit_tls = (args.smtps, tls_context(args.folder, args.cert, args.key)) if args.smtps else (0, None)
    server = await loop.create_server(lambda: RecordingSMTP(recorder, **options), "127.0.0.1", port,
                                      ssl=implicit_tls)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    await asyncio.Event().wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--auth")
    parser.add_argument("--echo-credentials", action="store_true")
    parser.add_argument("--starttls", action="store_true")
    parser.add_argument("--smtps", type=int, default=0)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--refuse-recipients", action="store_true")
    parser.add_argument("--hang-at-data", action="store_true")
    asyncio.run(serve(parser.parse_args()))


if __name__ == "__main__":
    sys.exit(main())
