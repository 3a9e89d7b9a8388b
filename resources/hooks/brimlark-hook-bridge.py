#!/usr/bin/env python3
# Brimlark hook bridge. An AI coding tool runs this on every hook call and waits for it, passing
# its JSON payload on standard input. The bridge completes "source", "event", "timestamp" and
# "status", and posts the payload once to Brimlark's endpoint on 127.0.0.1.
#
# It must be quick, quiet and harmless to the tool: it imports only socket and json (a plain
# socket also means no proxy variable can send the payload elsewhere), bounds its own run
# (standard input 5 s and 8 MiB, network 2 s), prints nothing and always exits with status 0.
# An event that cannot be delivered is dropped.
import json
import os
import select
import socket
import sys
import time

STDIN_SECONDS = 5.0
# Far more than can be posted; what is read stops here, and a payload cut short is then posted
# as its text (clipped), like any input that is not JSON.
STDIN_BYTES = 8 * 1024 * 1024
NETWORK_SECONDS = 2.0
DEFAULT_PORT = 43434
# The endpoint reads at most 65,536 bytes per request, head included.
MAX_BODY_BYTES = 60000

WORKING_EVENTS = {"sessionstart", "pretooluse", "subagentstart", "notification", "userpromptsubmit"}
FINISHED_EVENTS = {"posttooluse", "stop", "sessionend", "subagentstop", "postcompact"}

# The members that offer the user an approve or deny action.
ACTION_KEYS = (
    "actions",
    "approve_label", "approve_title", "allow_label", "allow_title",
    "approve_command", "approveCommand", "allow_command", "allowCommand",
    "approve_url", "approveURL", "allow_url", "allowURL",
    "deny_label", "deny_title", "reject_label", "reject_title",
    "deny_command", "denyCommand", "reject_command", "rejectCommand",
    "deny_url", "denyURL", "reject_url", "rejectURL",
)
# What Brimlark reads of a payload; a payload too large to post is cut down to these, with what
# names the request in its "tool_input" (NAMING_KEYS).
READ_KEYS = (
    "id", "source", "client", "app_name", "app", "agent", "origin", "provider",
    "status", "event", "hook_event", "event_name", "tool", "tool_name", "tool_use_id", "toolUseId",
    "session_id", "sessionId", "cwd", "workdir", "working_directory", "message", "description",
    "notification_type", "notificationType", "title", "detail", "timestamp", "created_at", "time",
    "payload", "events",
) + ACTION_KEYS
# What the last cut keeps: whose event it is, what happened, where, what it asks about, and the
# actions.
ESSENTIAL_KEYS = frozenset((
    "source", "client", "event", "status", "timestamp", "session_id", "tool_name", "cwd",
    "tool_input",
) + ACTION_KEYS)
# The members of a tool call's input that say what it would run or touch, which Brimlark shows
# with the request; a cut keeps these of "tool_input" (each shortened to NAMING_CHARACTERS) and
# drops the rest, such as the content of a file to be written.
NAMING_KEYS = ("command", "file_path", "notebook_path", "path", "url", "pattern", "query", "prompt")
NAMING_CHARACTERS = 400


def parse_options(argv):
    values = {"--source": "other", "--event": "", "--port": str(DEFAULT_PORT)}
    i = 0
    while i < len(argv):
        name, equals, inline = argv[i].partition("=")
        if name in values:
            if equals:
                values[name] = inline
            elif i + 1 < len(argv):
                i += 1
                values[name] = argv[i]
        i += 1
    try:
        port = int(values["--port"])
    except ValueError:
        port = DEFAULT_PORT
    if not 0 < port < 65536:
        port = DEFAULT_PORT
    return values["--source"], values["--event"], port


def read_input():
    try:
        if os.isatty(0):
            return ""
    except Exception:
        return ""
    deadline = time.monotonic() + STDIN_SECONDS
    chunks = []
    size = 0
    try:
        while size < STDIN_BYTES:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                break
            ready, _, _ = select.select([0], [], [], remaining)
            if not ready:
                break
            chunk = os.read(0, min(65536, STDIN_BYTES - size))
            if not chunk:
                break
            chunks.append(chunk)
            size += len(chunk)
    except Exception:
        pass
    return b"".join(chunks).decode("utf-8", "replace").strip()


def payload_of(text):
    if not text:
        return {}
    try:
        value = json.loads(text)
    except Exception:
        return {"message": text}
    if isinstance(value, dict):
        return value
    return {"message": str(value)}


def names_a_tool(value):
    if not isinstance(value, str):
        return False
    text = value.lower()
    return "claude" in text or "codex" in text or "openai" in text or "chatgpt" in text


def status_for(event_name):
    name = event_name.lower()
    if name == "permissionrequest":
        return "asking"
    if name == "permissiondenied" or name.endswith("failure"):
        return "error"
    if name in WORKING_EVENTS:
        return "working"
    if name in FINISHED_EVENTS:
        return "finished"
    return "working"


def utc_now():
    seconds, nanos = divmod(time.time_ns(), 1000000000)
    text = time.strftime("%Y-%m-%dT%H:%M:%S", time.gmtime(seconds))
    micros = nanos // 1000
    if micros:
        text += ".%06d" % micros
    return text + "Z"


def complete(payload, source, event):
    if "source" not in payload:
        payload["source"] = source
    elif not names_a_tool(payload["source"]) and "client" not in payload:
        # The tool's own "source" (Claude Code's "startup", "resume", ...) is kept; the tool that
        # ran the hook goes where Brimlark looks next, so the event is still attributed to it.
        payload["client"] = source
    if "event" not in payload and event:
        payload["event"] = event
    if "timestamp" not in payload:
        payload["timestamp"] = utc_now()
    if "status" not in payload:
        payload["status"] = status_for(event or str(payload.get("event", "")))
    return payload


def clipped(value, limit):
    if isinstance(value, str):
        return value if len(value) <= limit else value[:limit] + "\u2026"
    if isinstance(value, dict):
        return {key: clipped(item, limit) for key, item in list(value.items())[:50]}
    if isinstance(value, list):
        return [clipped(item, limit) for item in value[:50]]
    return value


def naming_input(value):
    """What of a tool call's input names what it asks about, cut short; None when nothing does."""
    if isinstance(value, str):
        return clipped(value, NAMING_CHARACTERS) if value.strip() else None
    if not isinstance(value, dict):
        return None
    named = {}
    for key in NAMING_KEYS:
        item = value.get(key)
        if isinstance(item, str):
            named[key] = clipped(item, NAMING_CHARACTERS)
        elif isinstance(item, list) and all(isinstance(word, str) for word in item):
            # A command given as its words: as many as fit in the same length.
            words, size = [], 0
            for word in item:
                if size >= NAMING_CHARACTERS:
                    break
                words.append(clipped(word, NAMING_CHARACTERS - size))
                size += len(word) + 1
            named[key] = words
    return named or None


def encoded(payload):
    return json.dumps(payload).encode("utf-8")


def body_of(payload):
    body = encoded(payload)
    if len(body) <= MAX_BODY_BYTES:
        return body
    kept = {key: payload[key] for key in READ_KEYS if key in payload}
    named = naming_input(payload.get("tool_input"))
    if named is not None:
        kept["tool_input"] = named
    for limit in (4000, 1000, 200):
        body = encoded({key: clipped(value, limit) for key, value in kept.items()})
        if len(body) <= MAX_BODY_BYTES:
            return body
    kept = {key: clipped(value, 200) for key, value in kept.items()
            if key == "tool_input" or not isinstance(value, (dict, list))}
    body = encoded(kept)
    # Even so, strings JSON escapes at length (a character beyond the BMP takes twelve bytes) can
    # keep the body too large: the largest members Brimlark can do without go first.
    optional = sorted((key for key in kept if key not in ESSENTIAL_KEYS),
                      key=lambda key: len(encoded(kept[key])), reverse=True)
    for key in optional:
        if len(body) <= MAX_BODY_BYTES:
            return body
        del kept[key]
        body = encoded(kept)
    if len(body) <= MAX_BODY_BYTES:
        return body
    # Only the essential members are left, and they are still too large: shorter still, each
    # under a few hundred bytes, which makes the whole fit.
    # The input's names get a little more room: a path cut to twenty characters rarely reaches
    # the file's name.
    last = {}
    for key, value in kept.items():
        characters, most = (100, 2048) if key == "tool_input" else (20, 256)
        value = clipped(value, characters)
        if len(encoded(value)) <= most:
            last[key] = value
    return encoded(last)


def post(body, port):
    head = ("POST /event HTTP/1.1\r\n"
            "Host: 127.0.0.1:%d\r\n"
            "Content-Type: application/json\r\n"
            "Content-Length: %d\r\n"
            "Connection: close\r\n"
            "\r\n" % (port, len(body))).encode("ascii")
    deadline = time.monotonic() + NETWORK_SECONDS
    connection = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    try:
        connection.settimeout(NETWORK_SECONDS)
        connection.connect(("127.0.0.1", port))
        connection.settimeout(max(deadline - time.monotonic(), 0.001))
        connection.sendall(head + body)
    finally:
        connection.close()


def main():
    source, event, port = parse_options(sys.argv[1:])
    payload = complete(payload_of(read_input()), source, event)
    post(body_of(payload), port)


if __name__ == "__main__":
    try:
        main()
    except BaseException:
        pass
    os._exit(0)
