"""ssip_server.py SOCKET LOG: speech-dispatcher's protocol with some of Debian 12's espeak-ng
voices; takes 1 s per text, says nothing, logs CONNECT/CANCEL/SPEAK n ...; ends after 120 s."""
import contextlib, socket, sys, threading, time

VOICES = [f"249-{name}{variant}\t{tag}\t{variant[1:] or 'none'}" for variant in ("", "+Adam")
          for name, tag in [("English (America)", "en-us"), ("Chinese (Cantonese)", "yue"),
                            ("Chinese (Mandarin, latin as English)", "cmn"),
                            ("Chinese (Mandarin, latin as Pinyin)", "cmn-latn-pinyin")]]
REPLIES = {"LIST SYNTHESIS_VOICES": VOICES + ["249 OK VOICE LIST SENT"], "LIST OUTPUT_MODULES":
           ["250-espeak-ng", "250 OK SENT"], "GET OUTPUT_MODULE": ["251-espeak-ng", "251 OK"]}
log = open(sys.argv[2], "a", buffering=1, encoding="utf-8")


def serve(conn, number):
    lock, stream, said, events, settings = threading.Lock(), conn.makefile("rb"), 0, False, {}

    def send(*lines):
        with lock, contextlib.suppress(OSError):  # the client may be gone by a text's end
            conn.sendall("".join(line + "\r\n" for line in lines).encode())

    log.write(f"CONNECT\t{number}\n")
    for raw in stream:
        line = raw.decode().rstrip("\r\n")
        words = line.split(" ") + [""]
        if words[0].upper() == "SET" and len(words) > 4:
            settings[words[2].upper()] = " ".join(words[3:-1])
            events = events or line.endswith(" on")  # SET SELF NOTIFICATION ... on
            send("200 OK SET")
        elif words[0].upper() == "SPEAK":
            send("230 OK RECEIVING DATA")
            text = [data[1:] if data.startswith("..") else data for data in
                    iter(lambda: (stream.readline() or b".").decode().rstrip("\r\n"), ".")]
            said += 1
            log.write(f"SPEAK\t{number}\t{settings.get('LANGUAGE')}\t"
                      f"{settings.get('SYNTHESIS_VOICE')}\t{' '.join(text)}\n")
            send(f"225-{said}", "225 OK MESSAGE QUEUED")
            if events:
                send(f"701-{said}", f"701-{number}", "701 BEGIN")
                threading.Timer(1, send, (f"702-{said}", f"702-{number}", "702 END")).start()
        else:
            if words[0].upper() == "CANCEL":
                log.write(f"CANCEL\t{number}\t{words[1]}\n")
            send(*REPLIES.get(line.upper(), ["200 OK"]))
    conn.close()


server, deadline, count = socket.socket(socket.AF_UNIX), time.monotonic() + 120, 0
server.bind(sys.argv[1]), server.listen(), server.settimeout(0.5)
while time.monotonic() < deadline:
    with contextlib.suppress(socket.timeout):
        client, count = server.accept()[0], count + 1
        threading.Thread(target=serve, args=(client, count), daemon=True).start()
