"""A speech service of the test's own: speech-dispatcher's protocol (SSIP) on a Unix socket,
offering the Chinese and English voices of Debian 12's espeak-ng, each plain and with one
variant. It says nothing, but takes a second over each text; it writes what its clients asked for to a log, one line each:
  CONNECT n / SPEAK n <language> <voice> <text> / CANCEL n <scope> / QUIT n
(tab-separated). Usage: ssip_server.py SOCKET LOG; it ends after 120 s whatever happens."""
import contextlib
import socket
import sys
import threading
import time

VOICES = [(name + variant, tag, variant[1:] or "none")
          for name, tag in [("English (America)", "en-us"),
                            ("Chinese (Mandarin, latin as English)", "cmn"),
                            ("Chinese (Mandarin, latin as Pinyin)", "cmn-latn-pinyin"),
                            ("Chinese (Cantonese)", "yue")]
          for variant in ("", "+Adam")]
log = open(sys.argv[2], "a", buffering=1, encoding="utf-8")


def serve(conn, number):
    settings = {"LANGUAGE": "en", "SYNTHESIS_VOICE": "", "NOTIFICATION": False}
    stream = conn.makefile("rb")
    log.write(f"CONNECT\t{number}\n")
    messages = 0
    lock = threading.Lock()

    def send(*lines):
        with lock, contextlib.suppress(OSError):  # a client gone before a text's end
            conn.sendall("".join(line + "\r\n" for line in lines).encode())
    for raw in stream:
        words = raw.decode().rstrip("\r\n").split(" ")
        command = words[0].upper()
        if command == "SET" and len(words) > 2:
            key, value = words[2].upper(), " ".join(words[3:])
            if key == "NOTIFICATION":
                settings[key] = settings[key] or value.endswith(" on")
            elif key in settings:
                settings[key] = value
            send("200 OK SET")
        elif command == "LIST" and words[1].upper() == "OUTPUT_MODULES":
            send("250-espeak-ng", "250 OK MODULE LIST SENT")
        elif command == "LIST":
            send(*["249-" + "\t".join(v) for v in VOICES], "249 OK VOICE LIST SENT")
        elif command == "GET":
            send("251-espeak-ng", "251 OK GET RETURNED")
        elif command == "SPEAK":
            send("230 OK RECEIVING DATA")
            lines = []
            for data in stream:
                line = data.decode().rstrip("\r\n")
                if line == ".":
                    break
                lines.append(line[1:] if line.startswith("..") else line)
            messages += 1
            log.write("SPEAK\t%d\t%s\t%s\t%s\n" % (number, settings["LANGUAGE"],
                                                   settings["SYNTHESIS_VOICE"], " ".join(lines)))
            send(f"225-{messages}", "225 OK MESSAGE QUEUED")
            if settings["NOTIFICATION"]:  # each text takes a second to say
                send(f"701-{messages}", f"701-{number}", "701 BEGIN")
                threading.Timer(1, send, (f"702-{messages}", f"702-{number}", "702 END")).start()
        elif command == "QUIT":
            log.write(f"QUIT\t{number}\n")
            send("231 HAPPY HACKING")
            break
        else:
            if command == "CANCEL":
                log.write(f"CANCEL\t{number}\t{' '.join(words[1:])}\n")
            send("200 OK")
    conn.close()


server = socket.socket(socket.AF_UNIX)
server.bind(sys.argv[1])
server.listen()
server.settimeout(0.5)
deadline = time.monotonic() + 120
count = 0
while time.monotonic() < deadline:
    try:
        client, _ = server.accept()
    except socket.timeout:
        continue
    client.settimeout(None)
    count += 1
    threading.Thread(target=serve, args=(client, count), daemon=True).start()
